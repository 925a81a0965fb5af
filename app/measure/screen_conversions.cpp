#include "measure/screen_conversions.h"

#include <cmath>

#include "common/rounding.h"
#include "common/text_number.h"

namespace tavrin {

namespace {

double RefLevel(const MeasurementState &state) { return NumericValue(state.refLevelDbm); }

double MHzPerPoint(const MeasurementState &state) { return MHzPerDivision(state.spanCaption) / kPointsPerDivision; }

}  // namespace

double dBmToPointHeight(const MeasurementState &state, double dBm)
{
    double rl = RefLevel(state);
    if (dBm <= rl && dBm >= rl - 80.0)
        return (dBm - rl + 80.0) / kDbPerStepPlace;
    return kNoLevel;
}

PointScale::PointScale(const MeasurementState &state)
    : zeroSpan_(IsZeroSpan(state.spanCaption)), mhzPerPoint_(MHzPerPoint(state)),
      centerMHz_(NumericValue(state.centerFreqMHz)), refLevelDbm_(RefLevel(state))
{
}

double PointScale::MHz(int point) const
{
    if (point < 0 || point > kLastScreenPoint || zeroSpan_)
        return 0.0;
    return (point - kCenterPoint) * mhzPerPoint_ + centerMHz_;
}

double PointScale::Dbm(const TracePoints &trace, int point) const
{
    if (point < 0 || point > kLastScreenPoint)
        return kNoLevel;
    // Worked in 32 bits: a value loaded from a damaged record below -31744 would overflow 16.
    const int32_t stepsBelowTop = kTopLevelValue - static_cast<int32_t>(trace[static_cast<size_t>(point)]);
    return refLevelDbm_ - (stepsBelowTop * 0.78125) / 10.0;
}

double ConvertNthPointHeightTodBm(const MeasurementState &state, const TracePoints &trace, double nthPoint)
{
    if (!(nthPoint >= 0.0 && nthPoint <= kLastScreenPoint))
        return kNoLevel;
    return PointScale(state).Dbm(trace, RoundHalfEvenToInt32(nthPoint));
}

double ConvertNthPointToMHz(const MeasurementState &state, int16_t nthPoint)
{
    return PointScale(state).MHz(nthPoint);
}

int16_t ConvertMHzToNthPoint(const MeasurementState &state, double MHz)
{
    if (IsZeroSpan(state.spanCaption))
        return 0;
    double exact = (MHz - NumericValue(state.centerFreqMHz)) / MHzPerPoint(state) + kCenterPoint;
    // The single-precision step decides the edge points: 497.9999999999999 must become 498.
    float p = ToSingle(exact);
    // A caption with no width divides by zero; the infinity or NaN is off the screen like any
    // other unplaceable frequency.
    if (!(p >= 0.0f && p <= static_cast<float>(kLastScreenPoint)))
        return 0;
    return static_cast<int16_t>(FloorToInt32(p));
}

double MarkRdg(const MeasurementState &state, const TracePoints &trace, double MHz)
{
    return ConvertNthPointHeightTodBm(state, trace, ConvertMHzToNthPoint(state, MHz));
}

}  // namespace tavrin
