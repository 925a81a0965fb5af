#include "display/screen_view.h"

#include "display/limit_drawing.h"
#include "display/measurement_table.h"
#include "display/peak_table.h"
#include "display/screen_overlays.h"

#include <cmath>
#include <string>

#include "common/color.h"
#include "common/date_format.h"
#include "common/number_format.h"
#include "common/rounding.h"
#include "common/text_number.h"

namespace tavrin {

namespace {

constexpr double kTextPoints = 9.0;
constexpr uint32_t kWhite = Rgb(255, 255, 255);
constexpr double kLimitVerdictTop = 1012;  // upper edge of limit 1's verdict
constexpr double kLimitVerdictRow = 45;

void PrintAt(DrawingSurface &surface, double x, double y, const std::string &text)
{
    surface.SetTextPosition(x, y);
    surface.Print(text);
}

double MarkerRowY(int index) { return -178.0 - 50.0 * index; }

bool IsDbm(const MeasurementState &state) { return TrimSpaces(state.unit) == "dBm"; }

void DrawGraticule(DrawingSurface &surface, const DisplayColors &colors)
{
    if (!surface.IsPrinter())
        surface.FilledRectangle(0, 0, kLastScreenPoint, kTopLevelValue, colors.Background);
    surface.Rectangle(0, 0, kLastScreenPoint, kTopLevelValue, colors.Grid);

    double columnStep = RoundHalfEven(DivisionWidth);
    for (double x = 0; x <= kLastScreenPoint; x += columnStep)
        surface.Line(x, 0, x, kTopLevelValue, colors.Grid);
    double rowStep = RoundHalfEven(DivisionHeight);
    for (double y = 0; y <= kTopLevelValue; y += rowStep)
        surface.Line(0, y, kLastScreenPoint, y, colors.Grid);
}

void DrawBands(DrawingSurface &surface, const DisplayColors *colors, int tableRows)
{
    if (surface.IsPrinter()) {
        surface.FilledRectangle(-1, 2000, 500, 1027, kWhite);
        surface.FilledRectangle(-1, -5, 500, -1000, kWhite);
    } else if (colors) {
        surface.FilledRectangle(-1, 1100, 500, 1027, colors->Base);
        surface.FilledRectangle(-1, -5, 500, ScreenBottom(tableRows), colors->Base);
    }
}

void DrawHeader(DrawingSurface &surface, const ScreenView &view)
{
    PrintAt(surface, 10, 1070, "NORVALE Tavrin");
    if (view.screenTime)
        PrintAt(surface, 320, 1070, FormatScreenTime(*view.screenTime));
    DrawDifferenceCaption(surface, view);
}

void DrawLevelScale(DrawingSurface &surface, const MeasurementState &state)
{
    double refLevel = NumericValue(state.refLevelDbm);
    bool dbm = IsDbm(state);
    double offset = dbm ? 0.0 : 107.0;
    for (int i = 0; i <= 8; ++i) {
        float y = 1035.0f - static_cast<float>(i) * DivisionHeight;
        PrintAt(surface, -35, y, FormatPicture(refLevel - 10.0 * i + offset, "@@@@"));
    }
    PrintAt(surface, -46, -60, dbm ? "[ dBm ]" : "[ dBu ]");
}

void DrawAveraging(DrawingSurface &surface, const ScreenView &view)
{
    if (!view.averaging.on || !view.running)
        return;
    const AveragingView &avg = view.averaging;
    int shown = avg.fill >= avg.count ? avg.count : avg.slot;
    PrintAt(surface, 400, -37, "Avg = " + std::to_string(shown));
}

void DrawSettings(DrawingSurface &surface, const MeasurementState &state)
{
    PrintAt(surface, 230, -3, "CF = " + TrimSpaces(state.centerFreqMHz) + "MHZ");
    PrintAt(surface, 230, -37, FormatAt("SPAN = " + TrimSpaces(state.spanCaption), "@@@@@@@@@@@@@"));
    PrintAt(surface, 230, -72, "RBW = " + TrimSpaces(state.rbwCaption));
    PrintAt(surface, 0, -3, "Start:  " + FormatFixed(StartFreq(state), 3, 3) + "MHz");
    PrintAt(surface, 400, -3, "Stop:  " + FormatFixed(StopFreq(state), 3, 3) + "MHz");
}

// The level column's heading names the hold the markers read, in the hold's colour.
void DrawMarkerTable(DrawingSurface &surface, const ScreenView &view)
{
    struct Heading {
        double x;
        const char *text;
    };
    static constexpr Heading kHeadings[] = {{5, "MKR"},         {55, "Freq. (MHz)"},       {230, "Delta MKR"},
                                            {305, "Delta Freq.(MHz)"}, {405, "Delta Level"}};
    for (const Heading &heading : kHeadings)
        PrintAt(surface, heading.x, -128, heading.text);
    for (int n = 1; n <= kMarkerCount; ++n)
        PrintAt(surface, 10, -128.0 - 50.0 * n, NumberPrintForm(n));
    if (!view.readHold || ShowsDifference(view)) {
        PrintAt(surface, 155, -128, ShowsDifference(view) ? "Diff. (dB)" : "Level");
        return;
    }
    surface.SetForeColor(view.holds[static_cast<size_t>(*view.readHold)].color);
    PrintAt(surface, 155, -128, *view.readHold == HoldKind::Max ? "Max Hold" : "Min Hold");
    if (view.colors)
        surface.SetForeColor(view.colors->Text);
}

// The current point starts on the first point, so the polyline has no lead-in from elsewhere.
void DrawOneTrace(DrawingSurface &surface, const TracePoints &trace, uint32_t color)
{
    DrawPolyline(surface, trace, color);
}

void DrawSecondTraceTexts(DrawingSurface &surface, const AnalyzerSettings &info, const DisplayColors &colors)
{
    surface.SetFontSize(kTextPoints);
    surface.SetForeColor(colors.Play);
    PrintAt(surface, 0, -37, "2nd Trace ->");
    PrintAt(surface, 105, -37, "RefLvl:" + std::to_string(info.refLevelDbm) + "dBm");
    PrintAt(surface, 0, -72, "CF :" + PlainDecimal(info.centerMHz) + "MHz");
    PrintAt(surface, 105, -72, "Span   :" + TrimSpaces(info.span));
    surface.SetForeColor(colors.Text);
}

// Over the live trace the memories, then the holds, max hold last: it lies above everything else.
void DrawHolds(DrawingSurface &surface, const ScreenView &view)
{
    DrawMemories(surface, view);
    for (size_t i = view.holds.size(); i-- > 0;)
        if (view.holds[i].trace)
            DrawOneTrace(surface, *view.holds[i].trace, view.holds[i].color);
}

void DrawTraces(DrawingSurface &surface, const ScreenView &view)
{
    std::string caption = TrimSpaces(view.playCaption);
    // The difference stands in for the main trace and all that lies over it.
    if (ShowsDifference(view) && (caption == "Play" || caption == "Pause")) {
        DrawPolyline(surface, *view.difference->heights, view.traceDrawColor);
        return;
    }
    if (caption == "Play") {
        if (view.liveTrace)
            DrawOneTrace(surface, *view.liveTrace, view.traceDrawColor);
        DrawHolds(surface, view);
        return;
    }
    if (caption != "Pause" || !view.colors)
        return;
    const DisplayColors &colors = *view.colors;
    if (!view.running) {
        if (view.liveTrace)
            DrawOneTrace(surface, *view.liveTrace, colors.Play);
        return;
    }
    if (view.playTrace)
        DrawOneTrace(surface, *view.playTrace, colors.Play);
    if (view.liveTrace)
        DrawOneTrace(surface, *view.liveTrace, colors.Trace);
    DrawHolds(surface, view);
    if (view.secondTrace)
        DrawSecondTraceTexts(surface, *view.secondTrace, colors);
}

void DrawMarkerReadouts(DrawingSurface &surface, const MarkerReadings &readings)
{
    for (int i = 0; i < kMarkerCount; ++i) {
        const MarkerReading &reading = readings[static_cast<size_t>(i)];
        if (reading.onScreen && reading.freqMHz > 0) {
            PrintAt(surface, 55, MarkerRowY(i), NumberPrintForm(reading.freqMHz));
            PrintAt(surface, 155, MarkerRowY(i), FormatPicture(reading.level, "#0.0"));
        }
    }
}

void DrawDeltaReadouts(DrawingSurface &surface, const MarkerControls &markers, const MarkerReadings &readings)
{
    for (int i = 0; i < kMarkerCount; ++i) {
        const std::string &refText = markers[static_cast<size_t>(i)].deltaRef;
        double r = NumericValue(refText);
        if (!(r > 0 && r <= kMarkerCount))
            continue;
        // A typed reference such as "0.2" would round to marker 0 (index -1): no such marker.
        int j = RoundHalfEvenToInt32(r - 1);
        if (j < 0 || j >= kMarkerCount)
            continue;
        const MarkerReading &mine = readings[static_cast<size_t>(i)];
        const MarkerReading &other = readings[static_cast<size_t>(j)];
        if (!mine.onScreen || !other.onScreen)
            continue;
        PrintAt(surface, 250, MarkerRowY(i), refText);
        PrintAt(surface, 315, MarkerRowY(i), FormatPicture(mine.freqMHz - other.freqMHz, "#0.000"));
        PrintAt(surface, 415, MarkerRowY(i), FormatPicture(mine.level - other.level, "#0.0"));
    }
}

// At the graticule's top, one row per line judged, in the line's colour, over the trace.
void DrawLimitVerdicts(DrawingSurface &surface, const ScreenView &view)
{
    bool drawn = false;
    for (size_t k = 0; k < view.verdicts.size(); ++k) {
        if (!view.verdicts[k] || !view.limits)
            continue;
        drawn = true;
        const LimitVerdict &v = view.verdicts[k]->verdict;
        const LimitCount &count = view.verdicts[k]->count;
        std::string text = "Limit " + std::to_string(k + 1) + ": " + OutcomeText(v.outcome);
        if (v.outcome == LimitOutcome::None)
            text += ", " + v.reason;
        else
            text += ", margin " + FormatFixed(v.worstMarginDb, 2, 2) + " dB at " +
                    FormatPicture(v.worstFreqMHz, "#0.000##") + " MHz, " + std::to_string(count.failed) + " of " +
                    std::to_string(count.judged) + " traces failed";
        surface.SetForeColor((*view.limits)[k].color);
        PrintAt(surface, 5, kLimitVerdictTop - kLimitVerdictRow * static_cast<double>(k), text);
    }
    if (drawn && view.colors)
        surface.SetForeColor(view.colors->Text);
}

}  // namespace

// Each step checks what it reads and is left out when that is missing; the rest is still drawn.
void DrawGrid(DrawingSurface &surface, const ScreenView &view)
{
    if (view.colors)
        DrawGraticule(surface, *view.colors);
    surface.SetDrawStyle(DrawStyle::Dotted);
    // Levels mean nothing on the difference's scale.
    if (view.limits && view.state && !ShowsDifference(view))
        DrawLimitLines(surface, *view.limits, *view.state);
    surface.SetDrawStyle(DrawStyle::Solid);
    // The bands come after the limit lines so that they cover what a line draws above or below
    // the graticule.
    DrawBands(surface, view.colors, TableRows(view.measurementRows, view.peakTable.has_value()));

    if (view.colors)
        surface.SetForeColor(view.colors->Text);
    surface.SetFontSize(kTextPoints);
    DrawHeader(surface, view);
    surface.SetFontSize(kTextPoints);
    if (ShowsDifference(view))
        DrawDifferenceScale(surface);
    else if (view.state)
        DrawLevelScale(surface, *view.state);
    DrawAveraging(surface, view);
    surface.SetFontSize(kTextPoints);
    if (view.state)
        DrawSettings(surface, *view.state);
    DrawMarkerTable(surface, view);
    DrawMeasurementLabels(surface, view.measurementRows);
    if (view.peakTable)
        DrawPeakTableLabels(surface, view.measurementRows.Count());
}

void DrawTrace(DrawingSurface &surface, const ScreenView &view)
{
    DrawTraces(surface, view);
    DrawComparisonNotes(surface, view);
    if (!view.markers || !view.readings)
        return;
    DrawMarkerReadouts(surface, *view.readings);
    DrawDeltaReadouts(surface, *view.markers, *view.readings);
    if (view.measurements && view.state)
        DrawMeasurementValues(surface, *view.measurements, *view.readings, *view.state);
    if (view.peakTable && view.state)
        DrawPeakTableValues(surface, *view.peakTable, view.measurementRows.Count(), *view.state);
    DrawLimitVerdicts(surface, view);
}

}  // namespace tavrin
