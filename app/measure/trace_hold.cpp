#include "measure/trace_hold.h"

#include <algorithm>

namespace tavrin {

void TraceHolds::SetOn(HoldKind kind, bool on)
{
    Hold &hold = Of(kind);
    if (hold.on != on)
        hold.count = 0;
    hold.on = on;
}

void TraceHolds::Clear()
{
    for (Hold &hold : holds_)
        hold.count = 0;
}

void TraceHolds::Add(const TracePoints &trace, const AnalyzerSettings &reported)
{
    // Centre, span, reference level and RBW: the unit changes only how a level is written.
    if (reported != settings_)
        Clear();
    settings_ = reported;
    for (size_t kind = 0; kind < holds_.size(); ++kind) {
        Hold &hold = holds_[kind];
        if (!hold.on)
            continue;
        if (hold.count == 0)
            hold.points = trace;
        else if (kind == static_cast<size_t>(HoldKind::Max))
            std::ranges::transform(hold.points, trace, hold.points.begin(), [](int16_t a, int16_t b) { return std::max(a, b); });
        else
            std::ranges::transform(hold.points, trace, hold.points.begin(), [](int16_t a, int16_t b) { return std::min(a, b); });
        ++hold.count;
    }
}

const TracePoints *TraceHolds::Held(HoldKind kind) const
{
    const Hold &hold = Of(kind);
    return hold.on && hold.count > 0 ? &hold.points : nullptr;
}

ReadTrace TraceToRead(const TraceHolds &holds, const TracePoints &shown)
{
    for (HoldKind kind : {HoldKind::Max, HoldKind::Min})
        if (const TracePoints *held = holds.Held(kind))
            return {held, kind};
    return {&shown, std::nullopt};
}

}  // namespace tavrin
