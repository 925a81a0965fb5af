// Power measurements on a trace: the power in a band, the occupied bandwidth, the level per hertz.
// A point's level is the power the RBW filter let through around its frequency; added in linear
// units over a band, each point stands for the point spacing, and the sum is corrected from the
// filter's noise bandwidth to that spacing.
#pragma once

#include "measure/screen_conversions.h"

#include <optional>
#include <string_view>

namespace tavrin {

// Noise bandwidth over 3 dB bandwidth of a Gaussian-shaped filter: sqrt(pi / (4 ln 2)) = 1.0645.
inline constexpr double kNoiseBandwidthPerRbw = 1.065;
inline constexpr double kOccupiedShare = 0.99;

// The RBW of a caption in Hz: "3KHZ" 3000, "4MHZ" 4000000; 0 for a caption without a number and a
// unit HZ, KHZ or MHZ.
double RbwHz(std::string_view caption);
// The RBW filter's noise bandwidth in Hz; 0 for an unrecognised caption.
double NoiseBandwidthHz(std::string_view rbwCaption);

// The power in dBm of the screen points first..last (either order, both included, cut to 0..498):
// sum of 10^(L/10) x spacing / noise bandwidth. None at zero span or for an unrecognised RBW.
std::optional<double> BandPowerDbm(const MeasurementState &state, const TracePoints &trace, int first, int last);

struct OccupiedBand {
    double lowMHz = 0;
    double highMHz = 0;
};
// The band that holds `share` of the power of the screen points 0..498, leaving out half the rest
// below it and half above it. A point's power is spread evenly over the spacing around its
// frequency, so the edges fall between points. None at zero span.
std::optional<OccupiedBand> OccupiedBandwidth(const MeasurementState &state, const TracePoints &trace,
                                              double share = kOccupiedShare);

// A level read through the RBW filter as a density per hertz: level - 10 log10(noise bandwidth).
// None for an unrecognised RBW.
std::optional<double> PerHertz(double level, std::string_view rbwCaption);

}  // namespace tavrin
