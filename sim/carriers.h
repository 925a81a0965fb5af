// Carriers added on request for screenshots: one that moves across the screen (max hold) and one
// that comes and goes (waterfall).
#pragma once

#include "options.h"

#include <vector>

namespace tavrin::sim {

struct Carrier {
    double mhz;
    double dbm;
};

// The added carriers present `elapsed` seconds after the simulator started, on a screen around
// centreMHz with mhzPerDivision (0 at zero span).
std::vector<Carrier> AddedCarriers(const Options &options, double centreMHz, double mhzPerDivision, double elapsed);

}  // namespace tavrin::sim
