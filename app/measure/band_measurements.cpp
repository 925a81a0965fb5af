#include "measure/band_measurements.h"

#include "common/text_number.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tavrin {

namespace {

double SpacingMHz(const MeasurementState &state) { return MHzPerDivision(state.spanCaption) / kPointsPerDivision; }

// Linear power (mW) of each screen point.
std::array<double, kLastScreenPoint + 1> PointPowers(const MeasurementState &state, const LiveTrace &trace)
{
    std::array<double, kLastScreenPoint + 1> mW{};
    for (int i = 0; i <= kLastScreenPoint; ++i)
        mW[static_cast<size_t>(i)] = std::pow(10.0, ConvertNthPointHeightTodBm(state, trace, i) / 10.0);
    return mW;
}

// Walking the points from start in steps of step (+1 or -1): the point where the running sum of
// powers reaches target, and how far into that point's spacing (0..1) it does.
struct Reach {
    int point = 0;
    double fraction = 0;
};
Reach WalkTo(const std::array<double, kLastScreenPoint + 1> &mW, int start, int step, double target)
{
    double sum = 0;
    int i = start;
    for (; i >= 0 && i <= kLastScreenPoint; i += step) {
        const double p = mW[static_cast<size_t>(i)];
        if (sum + p >= target)
            return {i, std::clamp((target - sum) / p, 0.0, 1.0)};
        sum += p;
    }
    return {i - step, 1.0};  // only a share above 1 gets here
}

}  // namespace

double RbwHz(std::string_view caption)
{
    const std::string text = ToUpperAscii(TrimSpaces(caption));
    const double number = NumericValue(text);
    const size_t unit = text.find_first_not_of("+-.0123456789");
    if (number <= 0 || unit == std::string::npos || unit == 0)
        return 0;
    const std::string_view suffix = std::string_view(text).substr(unit);
    if (suffix == "HZ")
        return number;
    if (suffix == "KHZ")
        return number * 1e3;
    if (suffix == "MHZ")
        return number * 1e6;
    return 0;
}

double NoiseBandwidthHz(std::string_view rbwCaption) { return RbwHz(rbwCaption) * kNoiseBandwidthPerRbw; }

std::optional<double> BandPowerDbm(const MeasurementState &state, const LiveTrace &trace, int first, int last)
{
    const double noiseBandwidth = NoiseBandwidthHz(state.rbwCaption);
    const double spacingHz = SpacingMHz(state) * 1e6;
    if (IsZeroSpan(state.spanCaption) || !(spacingHz > 0) || !(noiseBandwidth > 0))
        return std::nullopt;
    const int from = std::clamp(std::min(first, last), 0, kLastScreenPoint);
    const int to = std::clamp(std::max(first, last), 0, kLastScreenPoint);
    double mW = 0;
    for (int i = from; i <= to; ++i)
        mW += std::pow(10.0, ConvertNthPointHeightTodBm(state, trace, i) / 10.0);
    return 10.0 * std::log10(mW * spacingHz / noiseBandwidth);
}

std::optional<OccupiedBand> OccupiedBandwidth(const MeasurementState &state, const LiveTrace &trace, double share)
{
    const double spacing = SpacingMHz(state);
    if (IsZeroSpan(state.spanCaption) || !(spacing > 0))
        return std::nullopt;
    const auto mW = PointPowers(state, trace);
    double total = 0;
    for (double p : mW)
        total += p;
    const double outside = (1.0 - share) / 2.0 * total;
    const Reach low = WalkTo(mW, 0, 1, outside), high = WalkTo(mW, kLastScreenPoint, -1, outside);
    auto mhz = [&](int point) { return ConvertNthPointToMHz(state, static_cast<int16_t>(point)); };
    return OccupiedBand{mhz(low.point) + (low.fraction - 0.5) * spacing,
                        mhz(high.point) + (0.5 - high.fraction) * spacing};
}

std::optional<double> PerHertz(double level, std::string_view rbwCaption)
{
    const double noiseBandwidth = NoiseBandwidthHz(rbwCaption);
    if (!(noiseBandwidth > 0))
        return std::nullopt;
    return level - 10.0 * std::log10(noiseBandwidth);
}

}  // namespace tavrin
