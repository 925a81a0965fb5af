#include "panel/screen_assembly.h"

#include "markers/marker_measurements.h"
#include "session/session.h"

namespace tavrin {

namespace {

const TracePoints kNoTrace{};

void AddReadings(ScreenView &v, const Session &s)
{
    const ReadTrace read = s.TraceToRead();
    v.readHold = read.hold;
    v.readings = ReadMarkers(*v.state, *read.trace, *v.markers);
    if (v.measurementRows.Count() > 0)
        v.measurements = MeasureWithMarkers(*v.state, *read.trace, *v.readings, v.measurementRows);
    const LimitVerdicts &verdicts = s.Limits().Verdicts();
    for (size_t k = 0; k < verdicts.size(); ++k)
        if (verdicts[k])
            v.verdicts[k] = LimitVerdictView{*verdicts[k], s.Limits().Count(k)};
}

}  // namespace

ScreenView AssembleView(const Session &s, const DisplayColors &colors, const TraceModeSettings &holdColors,
                        std::time_t now)
{
    const TracePtr shown = s.Shown();
    const Recorder &record = s.Record();
    const RunningAverage &average = s.Average();
    ScreenView v;
    v.state = &s.Settings().State();
    v.colors = &colors;
    v.liveTrace = shown ? &shown->points : &kNoTrace;
    v.playTrace = &record.PlayTrace();
    v.traceDrawColor = s.PlayColour() ? colors.Play : colors.Trace;
    v.running = s.Line().Running();
    v.playCaption = record.Playing() ? "Pause" : "Play";
    const int32_t entry = record.ShownIndex();
    if (entry >= 0 && static_cast<size_t>(entry) < record.Table().size())
        v.secondTrace = RecordSettings(record.Table()[static_cast<size_t>(entry)]);
    v.averaging = {s.AveragingOn(), average.Count(), average.Fill(), average.Slot()};
    v.limits = &s.Limits().Lines();
    v.markers = &s.Markers().Controls();
    v.screenTime = shown ? shown->time : now;
    v.measurementRows = s.Measurements();
    if (shown && shown == s.Live()) {
        const uint32_t holdColor[] = {holdColors.maxHoldColor, holdColors.minHoldColor};
        for (HoldKind kind : {HoldKind::Max, HoldKind::Min})
            v.holds[static_cast<size_t>(kind)] = {s.Holds().Held(kind), holdColor[static_cast<size_t>(kind)]};
    }
    if (s.ShowsTrace())
        AddReadings(v, s);
    return v;
}

void DrawView(DrawingSurface &surface, const ScreenView &view)
{
    DrawGrid(surface, view);
    if (view.readings)
        DrawTrace(surface, view);
}

}  // namespace tavrin
