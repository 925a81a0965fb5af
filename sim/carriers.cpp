#include "carriers.h"

#include <algorithm>
#include <cmath>

namespace tavrin::sim {

namespace {

// Strong enough to stand well above the fixed carriers at the power-on reference level.
constexpr double kMovingDbm = -20;
constexpr double kIntermittentDbm = -30;

}  // namespace

std::vector<Carrier> AddedCarriers(const Options &o, double centreMHz, double mhzPerDivision, double elapsed)
{
    std::vector<Carrier> carriers;
    elapsed = std::max(elapsed, 0.0);
    const double width = 10 * mhzPerDivision;
    // At zero span there is no screen width to move across.
    if (o.movingCarrier > 0 && width > 0)
        carriers.push_back({centreMHz - width / 2 + std::fmod(o.movingCarrier * elapsed, width), kMovingDbm});
    if (o.intermittentOn > 0 && std::fmod(elapsed, o.intermittentOn + o.intermittentOff) < o.intermittentOn)
        carriers.push_back({centreMHz + 2 * mhzPerDivision, kIntermittentDbm});
    return carriers;
}

}  // namespace tavrin::sim
