#include "panel/screen_assembly.h"

#include "markers/marker_measurements.h"
#include "session/session.h"

namespace tavrin {

namespace {

const TracePoints kNoTrace{};
constexpr char kNotSubtracted[] = ": it is not subtracted.";

// The difference view's trace and note, and the memories shown with theirs.
std::optional<TraceDifference> AddComparison(ScreenView &v, const Session &s, const MemorySettings &colors)
{
    const TraceMemories &memories = s.Memories();
    const SettledTrace read = s.SettledRead();
    for (MemorySlot slot : {MemorySlot::A, MemorySlot::B}) {
        const std::optional<TraceRecord> &memory = memories.Memory(slot);
        if (!memories.Shown(slot) || !memory)
            continue;
        MemoryView &shown = v.memories[static_cast<size_t>(slot)];
        shown = {&memory->points, slot == MemorySlot::A ? colors.colorA : colors.colorB, {}};
        const AnalyzerSettings taken = RecordSettings(*memory);
        if (read.points && !SameTraceSettings(taken, read.settings)) {
            // Drawn as it is, its points stand for other frequencies or levels.
            shown.note = OtherSettingsNote(std::string("Memory ") + SlotLetter(slot), taken, read.settings);
            if (shown.note.ends_with(kNotSubtracted))
                shown.note.replace(shown.note.size() - sizeof kNotSubtracted + 1, std::string::npos, ".");
        }
    }
    if (!memories.Difference())
        return std::nullopt;
    TraceDifference d =
        SubtractTraces(*memories.Difference(), read, memories.Settled(MemorySlot::A), memories.Settled(MemorySlot::B));
    v.difference = DifferenceView{d.caption, std::nullopt, d.note};
    if (!d.db)
        return std::nullopt;
    v.difference->heights = DifferenceHeights(*d.db);
    v.difference->db = d.db;
    return d;
}

void AddReadings(ScreenView &v, const Session &s, const std::optional<TraceDifference> &difference)
{
    const ReadTrace read = s.TraceToRead();
    v.readHold = read.hold;
    v.readings = ReadMarkers(*v.state, *read.trace, *v.markers);
    if (v.measurementRows.Count() > 0)
        v.measurements = MeasureWithMarkers(*v.state, *read.trace, *v.readings, v.measurementRows, s.Channels());
    if (s.PeakTools().TableOn())
        v.peakTable = PeakTable(s.Peaks());
    // The markers read the difference (the measurements the levels, above).
    for (size_t i = 0; difference && i < kMarkerCount; ++i)
        if (MarkerReading &r = (*v.readings)[i]; (*v.markers)[i].enabled) {
            r.level = ReadDifference(*v.state, *difference, r.freqMHz).value_or(0);
            r.height = DifferenceHeight(r.level);
        }
    const LimitVerdicts &verdicts = s.Limits().Verdicts();
    for (size_t k = 0; k < verdicts.size(); ++k)
        if (verdicts[k])
            v.verdicts[k] = LimitVerdictView{*verdicts[k], s.Limits().Count(k)};
}

}  // namespace

ScreenView AssembleView(const Session &s, const DisplayColors &colors, const ProgramSettings &program, std::time_t now)
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
        const uint32_t holdColor[] = {program.traceModes.maxHoldColor, program.traceModes.minHoldColor};
        for (HoldKind kind : {HoldKind::Max, HoldKind::Min})
            v.holds[static_cast<size_t>(kind)] = {s.Holds().Held(kind), holdColor[static_cast<size_t>(kind)]};
    }
    if (s.ShowsTrace())
        AddReadings(v, s, AddComparison(v, s, program.memories));
    else if (s.PeakTools().TableOn())
        v.peakTable.emplace();  // its rows keep their room on the empty screen
    return v;
}

void DrawView(DrawingSurface &surface, const ScreenView &view)
{
    DrawGrid(surface, view);
    if (view.readings)
        DrawTrace(surface, view);
}

}  // namespace tavrin
