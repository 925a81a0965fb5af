#include "panel/screen_assembly.h"

#include "acquisition/acquisition_group.h"
#include "markers/limit_group.h"
#include "markers/limit_verdict.h"
#include "markers/marker_group.h"
#include "record/record_group.h"
#include "trace_modes/trace_group.h"

namespace tavrin {

ScreenAssembly::ScreenAssembly(MarkerLabels &labels, Clock clock) : labels_(labels), clock_(std::move(clock)) {}

ReadTrace ScreenAssembly::TraceToRead(const Sources &s)
{
    const LiveTrace &shown = s.record.ShownTrace();
    if (&shown != &s.acquisition.Live())
        return {&shown, std::nullopt};
    return tavrin::TraceToRead(s.traces.Holds(), shown);
}

bool ScreenAssembly::ShowsTrace(const Sources &s)
{
    return s.acquisition.HasTrace() || s.record.Playing() || &s.record.ShownTrace() != &s.acquisition.Live();
}

std::array<std::optional<LimitVerdict>, 2> ScreenAssembly::Verdicts(const Sources &s)
{
    std::array<std::optional<LimitVerdict>, 2> verdicts;
    if (!ShowsTrace(s))
        return verdicts;
    const LiveTrace &trace = *TraceToRead(s).trace;
    const LimitLines &lines = s.limits.View();
    for (size_t k = 0; k < lines.size(); ++k)
        if (LimitLineOn(lines[k]))
            verdicts[k] = JudgeTrace(lines[k], s.state, trace);
    return verdicts;
}

ScreenView ScreenAssembly::Assemble(const Sources &s)
{
    const PlaybackView playback = s.record.Playback();
    const RunningAverage &average = s.acquisition.Average();
    ScreenView v;
    v.state = &s.state;
    v.colors = &s.colors;
    v.liveTrace = &s.record.ShownTrace();
    v.playTrace = playback.playTrace;
    v.traceDrawColor = s.acquisition.TraceDrawColor();
    v.running = s.acquisition.Running();
    v.playCaption = playback.playCaption;
    v.playbackTime = playback.playbackTime;
    v.secondTrace = playback.secondTrace;
    v.averaging = {s.acquisition.AveragingOn(), average.Count(), average.Fill(), average.Slot()};
    v.limits = &s.limits.View();
    v.markers = &s.markers.View();
    shown_ = HeaderTime(v, shown_, clock_());
    v.screenTime = shown_;
    v.measurementRows = s.traces.Measurements();
    if (v.liveTrace == &s.acquisition.Live())
        for (HoldKind kind : {HoldKind::Max, HoldKind::Min})
            v.holds[static_cast<size_t>(kind)] = {s.traces.Holds().Held(kind), s.traces.HoldColor(kind)};
    if (ShowsTrace(s)) {
        const ReadTrace read = TraceToRead(s);
        v.readHold = read.hold;
        v.readings = ReadMarkers(s.state, *read.trace, *v.markers);
        ShowMarkerLabels(labels_, *v.readings);
        if (v.measurementRows.Count() > 0)
            v.measurements = MeasureWithMarkers(s.state, *read.trace, *v.readings, v.measurementRows);
        const std::array<std::optional<LimitVerdict>, 2> verdicts = Verdicts(s);
        for (size_t k = 0; k < verdicts.size(); ++k)
            if (verdicts[k])
                v.verdicts[k] = LimitVerdictView{*verdicts[k], s.limits.Count(k)};
    }
    return v;
}

void ScreenAssembly::Draw(DrawingSurface &surface, const Sources &sources)
{
    const ScreenView view = Assemble(sources);
    DrawGrid(surface, view);
    if (view.readings)
        DrawTrace(surface, view);
}

}  // namespace tavrin
