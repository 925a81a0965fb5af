// Max hold and min hold: the point-by-point maximum and minimum of the traces shown since a hold
// was switched on or cleared. The points of a hold mean the same frequencies and levels only while
// the analyzer's settings stay: a change of them starts the holds afresh.
#pragma once

#include "measure/measure_setting.h"
#include "measure/screen_conversions.h"

#include <array>
#include <optional>

namespace tavrin {

enum class HoldKind { Max = 0, Min = 1 };

class TraceHolds {
public:
    // A hold switched on (or off) holds nothing until the next trace.
    void SetOn(HoldKind kind, bool on);
    bool On(HoldKind kind) const { return Of(kind).on; }
    // Both holds start again with the next trace.
    void Clear();
    // A trace as the screen shows it (live or averaged), with the settings its block reported.
    void Add(const TracePoints &trace, const AnalyzerSettings &reported);
    // The hold's trace while it is on and holds at least one trace; null otherwise.
    const TracePoints *Held(HoldKind kind) const;
    // How many traces the hold holds.
    int Count(HoldKind kind) const { return Of(kind).count; }
    // The settings the held traces were taken at.
    const AnalyzerSettings &Settings() const { return settings_; }

private:
    struct Hold {
        bool on = false;
        int count = 0;
        TracePoints points{};
    };
    Hold &Of(HoldKind kind) { return holds_[static_cast<size_t>(kind)]; }
    const Hold &Of(HoldKind kind) const { return holds_[static_cast<size_t>(kind)]; }

    std::array<Hold, 2> holds_{};
    AnalyzerSettings settings_;
};

// What the markers, Peak and the measurements read: the max hold when it holds a trace, else the
// min hold when it does, else the trace shown.
struct ReadTrace {
    const TracePoints *trace = nullptr;
    std::optional<HoldKind> hold;  // none: the trace shown
};
ReadTrace TraceToRead(const TraceHolds &holds, const TracePoints &shown);

}  // namespace tavrin
