// Everything the screen drawing reads, gathered and worked out by the control panel for one
// drawing; the drawing changes nothing else.
#pragma once

#include "display/drawing_surface.h"
#include "limits/limit_lines.h"
#include "limits/limit_watch.h"
#include "markers/marker_measurements.h"
#include "markers/markers.h"
#include "markers/peak_tools.h"
#include "measure/analyzer_settings.h"
#include "measure/measurement_state.h"
#include "measure/screen_conversions.h"
#include "measure/trace_hold.h"
#include "settings/operation_file.h"

#include <array>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace tavrin {

struct AveragingView {
    bool on = false;
    int count = 0;  // N
    int fill = 0;
    int slot = 0;
};

// A hold trace drawn over the live trace; nothing is drawn without a trace.
struct HoldView {
    const TracePoints *trace = nullptr;
    uint32_t color = 0;
};

// A trace memory drawn over the trace in its own colour; the note says when it was taken at other
// settings than the screen's.
struct MemoryView {
    const TracePoints *trace = nullptr;
    uint32_t color = 0;
    std::string note;
};

// The difference view: its caption, and the heights of the difference on its own scale, or none
// (then the levels are drawn) with the note that says why.
struct DifferenceView {
    std::string caption;
    std::optional<std::array<double, kTracePoints>> heights;
    std::string note;
    std::optional<std::array<double, kTracePoints>> db = std::nullopt;  // the difference itself, for the pointer
    bool Subtracted() const { return heights.has_value(); }
};

// A limit line's verdict on the trace the markers read, and its counter.
struct LimitVerdictView {
    LimitVerdict verdict;
    LimitCount count;
};

// The screen's lower edge: the marker table's, or lower by a row for each row of the tables under
// it (the measurements, the peak table).
inline constexpr double kScreenBottom = -430;
inline constexpr double kMeasurementRowStep = 50;
inline constexpr double ScreenBottom(int tableRows) { return kScreenBottom - kMeasurementRowStep * tableRows; }
// The peak table's rows: its heading, then five rows of two peaks each.
inline constexpr int kPeakTableScreenRows = 6;
inline constexpr int TableRows(MeasurementSwitches measurements, bool peakTable)
{
    return measurements.Count() + (peakTable ? kPeakTableScreenRows : 0);
}

struct ScreenView {
    const MeasurementState *state = nullptr;
    const DisplayColors *colors = nullptr;
    const TracePoints *liveTrace = nullptr;
    const TracePoints *playTrace = nullptr;     // may be null while no playback
    uint32_t traceDrawColor = 0;
    bool running = false;
    std::string playCaption = "Play";         // cmdPlayRecord: "Play", or "Pause" during playback
    std::optional<std::time_t> playbackTime;  // time of the shown record during offline playback
    std::optional<AnalyzerSettings> secondTrace;  // the played entry's, while playback runs beside the acquisition
    AveragingView averaging;
    const LimitLines *limits = nullptr;
    const MarkerControls *markers = nullptr;
    std::array<HoldView, 2> holds{};           // max hold, min hold
    std::array<MemoryView, 2> memories{};      // A, B; no trace when hidden or empty
    std::optional<DifferenceView> difference;  // the difference view chosen
    std::optional<HoldKind> readHold;          // the hold the markers read; none: the live trace
    std::optional<MarkerReadings> readings;   // none while no trace is shown
    MeasurementSwitches measurementRows;       // the rows of the measurement table
    std::optional<MeasurementReadings> measurements;  // on the trace the markers read
    std::optional<std::vector<Peak>> peakTable;      // when on: its rows, in table order
    std::array<std::optional<LimitVerdictView>, 2> verdicts;  // of the lines judged
    std::optional<std::time_t> screenTime;    // the header's time; none prints none
};

// The frame: graticule, limit lines, header, level scale, settings, start/stop, marker table,
// measurement table.
void DrawGrid(DrawingSurface &surface, const ScreenView &view);
// The trace(s) and holds, the marker readouts, the delta readouts, the measurements, the limit
// verdicts.
void DrawTrace(DrawingSurface &surface, const ScreenView &view);

}  // namespace tavrin
