// The two limit lines laid over the trace, and where their points fall on the screen.
#pragma once

#include "measure/measurement_state.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tavrin {

struct LimitPoint {
    double freqMHz = 0;
    double levelDbm = 0;
};

struct LimitLine {
    bool shown = false;              // chkLim
    std::string selector = "NONE";   // cboLim text
    uint32_t color = 0;              // text colour of the check box, 0x00BBGGRR
    std::vector<LimitPoint> points{LimitPoint{}};
};

using LimitLines = std::array<LimitLine, 2>;

// Limit 1 dark blue, limit 2 red.
LimitLines InitialLimitLines();

// Horizontal position of a frequency (single precision); 0 at zero span.
double LimiterX(const MeasurementState &state, double mhz);
// Vertical position of a level in dBm.
double LimiterY(const MeasurementState &state, double dbm);

}  // namespace tavrin
