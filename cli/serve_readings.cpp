// What tavrin-cli serve reads off its traces: the traces themselves, markers and limit verdicts.
#include "cli/serve_target.h"

#include "common/number_format.h"
#include "common/program_folder.h"
#include "common/text_number.h"
#include "markers/limit_file.h"
#include "markers/limit_verdict.h"
#include "markers/peak.h"

namespace tavrin::cli {

using remote::Done;
using remote::Outcome;

namespace {

remote::RemoteSettings SettingsOf(const BlockReport &r, bool dBu)
{
    return {r.centerMHz, r.span, r.refLevelDbm, r.rbw, dBu};
}

const Outcome kNoTrace{-200, "no trace taken yet (INITiate)"};

}  // namespace

MeasurementState ServeTarget::ShownState() const
{
    MeasurementState state;
    state.centerFreqMHz = FormatFixed(shownReport_.centerMHz, 3, 3);
    state.spanCaption = shownReport_.span;
    state.spanIndex = SpanToIndex(shownReport_.span);
    state.refLevelDbm = std::to_string(shownReport_.refLevelDbm);
    state.refLevelIndex = RefLevelToIndex(shownReport_.refLevelDbm);
    state.unit = settings_.dBu ? "dBu" : "dBm";
    return state;
}

std::optional<remote::RemoteTrace> ServeTarget::Trace(remote::TraceName name, Outcome &why) const
{
    if (traces_ == 0) {
        why = kNoTrace;
        return std::nullopt;
    }
    switch (name) {
    case remote::TraceName::Live:
        return remote::RemoteTrace{shown_, SettingsOf(shownReport_, settings_.dBu)};
    case remote::TraceName::MaxHold:
    case remote::TraceName::MinHold: {
        const LiveTrace *held = holds_.Held(name == remote::TraceName::MaxHold ? HoldKind::Max : HoldKind::Min);
        const ReportedSettings &s = holds_.Settings();
        if (held)
            return remote::RemoteTrace{*held, {s.centerMHz, s.spanCaption, s.refLevelDbm, s.rbwCaption, settings_.dBu}};
        why = kNoTrace;
        return std::nullopt;
    }
    case remote::TraceName::MemoryA:
    case remote::TraceName::MemoryB:
        break;
    }
    why = {-221, "tavrin-cli serve keeps no memory traces"};
    return std::nullopt;
}

remote::RemoteMarker ServeTarget::Marker(int n) const
{
    const size_t i = static_cast<size_t>(n - 1);
    remote::RemoteMarker m{markers_.at(i).enabled, NumericValue(markers_.at(i).freqText), false, 0};
    if (m.on && traces_ > 0) {
        const MarkerReading r = ReadMarkers(ShownState(), shown_, markers_)[i];
        m.hasReading = r.onScreen;
        m.level = r.level;
    }
    return m;
}

void ServeTarget::SetMarkerOn(int n, bool on, Done done)
{
    markers_.at(static_cast<size_t>(n - 1)).enabled = on;
    done(Outcome::Ok());
}

void ServeTarget::SetMarkerFreq(int n, double mhz, Done done)
{
    markers_.at(static_cast<size_t>(n - 1)).freqText = FormatFixed(mhz, 3, 6);
    done(Outcome::Ok());
}

// As Peak puts marker 1: on the highest point, four decimals, switched on.
void ServeTarget::MarkerToPeak(int n, Done done)
{
    if (traces_ == 0) {
        done(kNoTrace);
        return;
    }
    const MeasurementState state = ShownState();
    const int point = std::min(PeakPoint(shown_), static_cast<int>(kLastScreenPoint));
    const double mhz = IsZeroSpan(state.spanCaption) ? shownReport_.centerMHz
                                                     : ConvertNthPointToMHz(state, static_cast<int16_t>(point));
    MarkerControl &m = markers_.at(static_cast<size_t>(n - 1));
    m.freqText = FormatFixed(mhz, 4, 4);
    m.enabled = true;
    done(Outcome::Ok());
}

remote::RemoteLimit ServeTarget::Limit(int n) const
{
    const LimitLine &line = limits_.at(static_cast<size_t>(n - 1));
    remote::RemoteLimit l{line.shown, line.selector == "NONE" ? "" : line.selector, remote::LimitResult::None, {}};
    if (!LimitLineOn(line)) {
        l.reason = "the line is off";
        return l;
    }
    if (traces_ == 0) {
        l.reason = "no trace taken yet";
        return l;
    }
    const LimitVerdict v = JudgeTrace(line, ShownState(), shown_);
    l.result = v.outcome == LimitOutcome::Pass   ? remote::LimitResult::Pass
               : v.outcome == LimitOutcome::Fail ? remote::LimitResult::Fail
                                                 : remote::LimitResult::None;
    l.reason = v.reason;
    return l;
}

void ServeTarget::SetLimitShown(int n, bool shown, Done done)
{
    limits_.at(static_cast<size_t>(n - 1)).shown = shown;
    done(Outcome::Ok());
}

// A limit file is small and local: read at once.
void ServeTarget::SelectLimitFile(int n, const std::string &name, Done done)
{
    const LimitFileResult read = ReadLimitFile(JoinPath(WorkingFolder(), name + ".lim"));
    if (!read.ok) {
        done({-200, "limit file " + name + ".lim: " + read.error});
        return;
    }
    LimitLine &line = limits_.at(static_cast<size_t>(n - 1));
    line.points = read.points;
    line.selector = name;
    IndexLimitLine(line);
    done(Outcome::Ok());
}

}  // namespace tavrin::cli
