// The screen's coordinate system and the conversions between trace points, frequencies and
// levels. Each call reads the settings and the trace it is given; nothing is kept between calls.
#pragma once

#include <array>
#include <cstdint>

#include "measure/measurement_state.h"

namespace tavrin {

// One x unit per trace point, one y unit per step of the 10-bit level.
inline constexpr int kTracePoints = 500;
inline constexpr int kLastScreenPoint = 498;  // point 499 is neither drawn nor converted
inline constexpr int kCenterPoint = 251;
inline constexpr int kPointsPerDivision = 50;
inline constexpr int kTopLevelValue = 1023;
inline constexpr float DivisionWidth = 498.0f / 10.0f;    // 49.8
inline constexpr float DivisionHeight = 1023.0f / 8.0f;   // 127.875

// Reading a level off a trace and placing a level on the screen use different step sizes on
// purpose: RL maps to 1023 and RL - 80 to 0 when placing, 0.078125 dB per step when reading.
inline constexpr double kDbPerStepRead = 0.078125;
inline constexpr double kDbPerStepPlace = 0.0782013685239492;

// What the level conversions give outside their range.
inline constexpr double kNoLevel = 99999.0;

using TracePoints = std::array<int16_t, kTracePoints>;

// The trace's points read with the settings' texts read once: for the many points of a trace.
class PointScale {
public:
    explicit PointScale(const MeasurementState &state);
    // Frequency of a point 0..498; 0 for another point or at zero span.
    double MHz(int point) const;
    // Level in dBm of the trace at a point 0..498; kNoLevel for another point.
    double Dbm(const TracePoints &trace, int point) const;

private:
    bool zeroSpan_;
    double mhzPerPoint_;
    double centerMHz_;
    double refLevelDbm_;
};

// Height of a level in dBm between RL - 80 and RL (inclusive), not rounded; kNoLevel outside.
double dBmToPointHeight(const MeasurementState &state, double dBm);

// Level in dBm of the trace at a point 0..498 (a fractional index goes to the nearest point,
// halves to even); kNoLevel for any other index.
double ConvertNthPointHeightTodBm(const MeasurementState &state, const TracePoints &trace, double nthPoint);

// Frequency of a point 0..498; 0 for another point or at zero span.
double ConvertNthPointToMHz(const MeasurementState &state, int16_t nthPoint);

// Point at a frequency, floored after rounding to single precision; 0 off the screen (also for
// a span caption without a width) and at zero span.
int16_t ConvertMHzToNthPoint(const MeasurementState &state, double MHz);

// Level of the trace at a frequency; a frequency off the screen reads point 0.
double MarkRdg(const MeasurementState &state, const TracePoints &trace, double MHz);

}  // namespace tavrin
