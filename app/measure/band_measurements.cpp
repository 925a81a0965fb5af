#include "measure/band_measurements.h"

#include "common/text_number.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tavrin {

namespace {

double SpacingMHz(const MeasurementState &state) { return MHzPerDivision(state.spanCaption) / kPointsPerDivision; }

// Linear power (mW) of the screen's points: the reference level's, times the power ratio of the
// point's steps below the top, 0.078125 dB each. The ratios come from a table made once, as the
// screen redraws these several times a second.
class PointPower {
public:
    explicit PointPower(const MeasurementState &state) : top_(std::pow(10.0, NumericValue(state.refLevelDbm) / 10.0)) {}
    double operator()(int16_t value) const
    {
        static const std::array<double, kTopLevelValue + 1> kBelowTop = [] {
            std::array<double, kTopLevelValue + 1> ratio{};
            for (size_t steps = 0; steps < ratio.size(); ++steps)
                ratio[steps] = std::pow(10.0, -static_cast<double>(steps) * kDbPerStepRead / 10.0);
            return ratio;
        }();
        const int steps = kTopLevelValue - value;
        if (steps >= 0 && steps <= kTopLevelValue)
            return top_ * kBelowTop[static_cast<size_t>(steps)];
        return top_ * std::pow(10.0, -steps * kDbPerStepRead / 10.0);  // a point off the screen's scale
    }

private:
    double top_;
};

std::array<double, kLastScreenPoint + 1> PointPowers(const MeasurementState &state, const TracePoints &trace)
{
    const PointPower power(state);
    std::array<double, kLastScreenPoint + 1> mW{};
    for (size_t i = 0; i < mW.size(); ++i)
        mW[i] = power(trace[i]);
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

std::optional<double> BandPowerDbm(const MeasurementState &state, const TracePoints &trace, int first, int last)
{
    const double noiseBandwidth = NoiseBandwidthHz(state.rbwCaption);
    const double spacingHz = SpacingMHz(state) * 1e6;
    if (IsZeroSpan(state.spanCaption) || !(spacingHz > 0) || !(noiseBandwidth > 0))
        return std::nullopt;
    const int from = std::clamp(std::min(first, last), 0, kLastScreenPoint);
    const int to = std::clamp(std::max(first, last), 0, kLastScreenPoint);
    const PointPower power(state);
    double mW = 0;
    for (int i = from; i <= to; ++i)
        mW += power(trace[static_cast<size_t>(i)]);
    return 10.0 * std::log10(mW * spacingHz / noiseBandwidth);
}

std::optional<OccupiedBand> OccupiedBandwidth(const MeasurementState &state, const TracePoints &trace, double share)
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
