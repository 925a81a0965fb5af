#include "waterfall/waterfall_pointer.h"

#include "common/number_format.h"
#include "common/rounding.h"
#include "common/text_number.h"
#include "measure/frequency_step.h"

namespace tavrin {

namespace {

// The point a column shows, as the picture picks it.
int StrongestPoint(const TracePoints &points, PointRange range)
{
    int best = range.first;
    for (int n = range.first + 1; n <= range.last; ++n)
        if (points[static_cast<size_t>(n)] > points[static_cast<size_t>(best)])
            best = n;
    return best;
}

void ReadTrace(const Trace &trace, int column, int columns, WaterfallSpot &spot)
{
    spot.point = StrongestPoint(trace.points, ColumnPoints(column, columns));
    spot.zeroSpan = IsZeroSpan(trace.settings.span);
    spot.freqMHz = spot.zeroSpan ? trace.settings.centerMHz : PointScale(StateOf(trace.settings)).MHz(spot.point);
    spot.level = LevelOf(trace.points[static_cast<size_t>(spot.point)], trace.settings.refLevelDbm, trace.dBu);
    spot.dBu = trace.dBu;
}

}  // namespace

std::optional<WaterfallSpot> WaterfallAt(const WaterfallRows &rows, const WaterfallGeometry &g, double x, double y)
{
    const int column = FloorToInt32(x * g.ratio) - g.firstColumn;
    const int down = FloorToInt32((y - g.header) * g.ratio);
    if (!(x >= 0 && y >= g.header) || column < 0 || column >= g.columns || down >= g.pictureHeight)
        return std::nullopt;
    const auto &kept = rows.Rows();
    int top = 0;
    for (size_t i = kept.size(); i-- > 0;) {
        const WaterfallRow &row = kept[i];
        top += rows.HeightOf(row);
        if (down >= top)
            continue;
        WaterfallSpot spot;
        spot.row = i;
        spot.kind = row.kind;
        spot.time = row.trace.time;
        if (row.kind == RowKind::Trace)
            ReadTrace(row.trace, column, g.columns, spot);
        else
            spot.text = row.text;
        return spot;
    }
    return std::nullopt;
}

std::string WaterfallReadoutText(const WaterfallSpot &spot)
{
    std::string text = ClockText(spot.time) + "  ";
    if (spot.kind != RowKind::Trace)
        return text + spot.text;
    text += FormatPicture(spot.freqMHz, "#0.000##") + " MHz";
    if (spot.zeroSpan)
        text += " (zero span: the time within the sweep is not known)";
    return text + "  " + FormatPicture(spot.level, "#0.0") + (spot.dBu ? " dBu" : " dBm");
}

bool SameFrequencies(const AnalyzerSettings &row, const MeasurementState &display)
{
    // Row 0 is zero span, or a span the analyzer reported outside the table.
    const int span = SpanToIndex(row.span);
    if (span == 0 || span != SpanToIndex(display.spanCaption))
        return false;
    return FormatFixed(row.centerMHz, 3, 3) == NormalizeFrequencyText(display.centerFreqMHz);
}

std::optional<MarkerChange> MarkerFromWaterfall(const WaterfallRows &rows, const WaterfallSpot &spot,
                                                const MeasurementState &display, int index)
{
    if (spot.kind != RowKind::Trace || spot.row >= rows.Rows().size())
        return std::nullopt;
    if (!SameFrequencies(rows.Rows()[spot.row].trace.settings, display))
        return std::nullopt;
    return MarkerToPoint(display, index, spot.point);
}

}  // namespace tavrin
