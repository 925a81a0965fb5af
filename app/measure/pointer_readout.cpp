#include "measure/pointer_readout.h"

#include "common/number_format.h"
#include "common/rounding.h"
#include "common/text_number.h"

#include <algorithm>

namespace tavrin {

namespace {

// Halves to even put the half points at the ends onto the end points.
constexpr double kHalfPoint = 0.5;

std::string LevelText(double level, const std::string &unit) { return FormatPicture(level, "#0.0") + " " + unit; }

}  // namespace

std::optional<int> PointUnder(double x, double y)
{
    if (!(x >= -kHalfPoint && x <= kLastScreenPoint + kHalfPoint && y >= 0 && y <= kTopLevelValue))
        return std::nullopt;
    return RoundHalfEvenToInt32(x);
}

int PointAt(double x)
{
    if (!(x >= 0))  // also NaN
        return 0;
    return RoundHalfEvenToInt32(std::min(x, static_cast<double>(kLastScreenPoint)));
}

std::optional<PointerReading> ReadAtPointer(const MeasurementState &state, const DrawnTraces &traces, double x, double y)
{
    const std::optional<int> point = PointUnder(x, y);
    if (!point)
        return std::nullopt;
    const PointScale scale(state);
    const bool dBu = TrimSpaces(state.unit) == "dBu";
    PointerReading r;
    r.point = *point;
    r.zeroSpan = IsZeroSpan(state.spanCaption);
    r.freqMHz = r.zeroSpan ? NumericValue(state.centerFreqMHz) : scale.MHz(r.point);
    r.unit = dBu ? "dBu" : "dBm";
    auto level = [&](const TracePoints *trace) -> std::optional<double> {
        if (!trace)
            return std::nullopt;
        return scale.Dbm(*trace, r.point) + (dBu ? 107.0 : 0.0);
    };
    r.level = level(traces.shown);
    r.maxHold = level(traces.maxHold);
    r.minHold = level(traces.minHold);
    return r;
}

std::string ReadoutText(const PointerReading &r)
{
    std::string text = FormatPicture(r.freqMHz, "#0.000##") + " MHz";
    if (r.zeroSpan)
        text += " (zero span: the time within the sweep is not known)";
    if (r.level)
        text += "  " + LevelText(*r.level, r.unit);
    if (r.maxHold)
        text += "  Max Hold " + LevelText(*r.maxHold, r.unit);
    if (r.minHold)
        text += "  Min Hold " + LevelText(*r.minHold, r.unit);
    return text;
}

}  // namespace tavrin
