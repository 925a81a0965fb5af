#include "common/rounding.h"

#include <cmath>
#include <limits>

namespace tavrin {

namespace {

int32_t SaturateToInt32(double whole)
{
    if (std::isnan(whole))
        return 0;
    if (whole <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    if (whole >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(whole);
}

}  // namespace

double RoundHalfEven(double value)
{
    // Independent of the floating-point rounding mode, which nearbyint would follow.
    double lower = std::floor(value);
    double diff = value - lower;
    if (diff < 0.5)
        return lower;
    if (diff > 0.5)
        return lower + 1.0;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

int32_t RoundHalfEvenToInt32(double value) { return SaturateToInt32(RoundHalfEven(value)); }

int32_t FloorToInt32(double value) { return SaturateToInt32(std::floor(value)); }

float ToSingle(double value)
{
    // Beyond float's range the cast itself would be undefined; IEEE rounding gives infinity from
    // half a unit above the largest float onwards.
    constexpr double kOverflow = 0x1.ffffffp127;
    if (value >= kOverflow)
        return std::numeric_limits<float>::infinity();
    if (value <= -kOverflow)
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

}  // namespace tavrin
