#include "measure/adjacent_channel.h"

#include "common/number_format.h"
#include "common/text_number.h"
#include "measure/band_measurements.h"

#include <algorithm>
#include <cmath>

namespace tavrin {

namespace {

// Point i stands for the positions i - 0.5 .. i + 0.5 of the screen; rounding of the frequencies
// must not push a channel that ends on the outermost edge off the screen.
constexpr double kEdgeSlack = 1e-6;

std::string Range(double lowMHz, double highMHz)
{
    return FormatFixed(lowMHz, 3, 6) + " to " + FormatFixed(highMHz, 3, 6) + " MHz";
}

struct Screen {
    double centerMHz, spacingMHz, noiseBandwidthHz;
    double Position(double mhz) const { return (mhz - centerMHz) / spacingMHz + kCenterPoint; }
    double MHz(double position) const { return (position - kCenterPoint) * spacingMHz + centerMHz; }
};

ChannelPower Channel(const Screen &screen, const MeasurementState &state, const TracePoints &trace, double centerMHz,
                     double widthMHz, const char *name)
{
    ChannelPower c{centerMHz - widthMHz / 2, centerMHz + widthMHz / 2, std::nullopt, {}};
    const double from = screen.Position(c.lowMHz), to = screen.Position(c.highMHz);
    if (!(from >= -0.5 - kEdgeSlack && to <= kLastScreenPoint + 0.5 + kEdgeSlack)) {  // NaN too
        c.problem = std::string("the ") + name + " channel, " + Range(c.lowMHz, c.highMHz) + ", leaves the screen's " +
                    Range(screen.MHz(-0.5), screen.MHz(kLastScreenPoint + 0.5));
        return c;
    }
    const PointScale scale(state);
    double mW = 0;  // times the share of a point spacing
    for (int i = std::max(0, static_cast<int>(std::floor(from + 0.5))); i <= kLastScreenPoint && i - 0.5 < to; ++i) {
        const double share = std::min(to, i + 0.5) - std::max(from, i - 0.5);
        if (share > 0)
            mW += std::pow(10.0, scale.Dbm(trace, i) / 10.0) * share;
    }
    c.dBm = 10.0 * std::log10(mW * screen.spacingMHz * 1e6 / screen.noiseBandwidthHz);
    return c;
}

// Why no channel can be measured at all; empty when they can.
std::string PlanProblem(const MeasurementState &state, const ChannelPlan &plan, double spacingMHz)
{
    if (IsZeroSpan(state.spanCaption))
        return "no channel power at zero span: the screen shows one frequency";
    if (!(NoiseBandwidthHz(state.rbwCaption) > 0))
        return "the RBW \"" + TrimSpaces(state.rbwCaption) + "\" is not known";
    if (!(spacingMHz > 0))
        return "the span \"" + TrimSpaces(state.spanCaption) + "\" has no width";
    if (!(plan.widthMHz >= spacingMHz) || !std::isfinite(plan.widthMHz))
        return "the channel width " + PlainDecimal(plan.widthMHz) + " MHz is narrower than the point spacing " +
               PlainDecimal(spacingMHz) + " MHz: widen the channel or narrow the span";
    if (!(plan.spacingMHz >= plan.widthMHz) || !std::isfinite(plan.spacingMHz))
        return "the channel spacing " + PlainDecimal(plan.spacingMHz) + " MHz is less than the width " +
               PlainDecimal(plan.widthMHz) + " MHz: the channels would overlap";
    return {};
}

}  // namespace

AdjacentChannels MeasureAdjacentChannels(const MeasurementState &state, const TracePoints &trace, const ChannelPlan &plan)
{
    const Screen screen{NumericValue(state.centerFreqMHz), MHzPerDivision(state.spanCaption) / kPointsPerDivision,
                        NoiseBandwidthHz(state.rbwCaption)};
    AdjacentChannels r;
    if (const std::string problem = PlanProblem(state, plan, screen.spacingMHz); !problem.empty()) {
        r.main.problem = r.lower.problem = r.upper.problem = problem;
        return r;
    }
    r.main = Channel(screen, state, trace, screen.centerMHz, plan.widthMHz, "main");
    r.lower = Channel(screen, state, trace, screen.centerMHz - plan.spacingMHz, plan.widthMHz, "lower");
    r.upper = Channel(screen, state, trace, screen.centerMHz + plan.spacingMHz, plan.widthMHz, "upper");
    if (r.main.dBm && r.lower.dBm)
        r.lowerDbc = *r.lower.dBm - *r.main.dBm;
    if (r.main.dBm && r.upper.dBm)
        r.upperDbc = *r.upper.dBm - *r.main.dBm;
    return r;
}

}  // namespace tavrin
