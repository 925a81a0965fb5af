#include "display/peak_table.h"

#include "common/number_format.h"
#include "common/text_number.h"
#include "display/measurement_table.h"

#include <string>

namespace tavrin {

namespace {

constexpr size_t kPeaksPerColumn = 5;
constexpr double kRankX = 10, kFreqX = 55, kLevelX = 155, kColumnWidth = 250;

void PrintAt(DrawingSurface &surface, double x, double y, const std::string &text)
{
    surface.SetTextPosition(x, y);
    surface.Print(text);
}

}  // namespace

void DrawPeakTableLabels(DrawingSurface &surface, int firstRow)
{
    const double y = MeasurementRowY(firstRow);
    for (double left : {0.0, kColumnWidth}) {
        PrintAt(surface, left + 5, y, "Peak");
        PrintAt(surface, left + kFreqX, y, "Freq. (MHz)");
        PrintAt(surface, left + kLevelX, y, "Level");
    }
}

void DrawPeakTableValues(DrawingSurface &surface, const std::vector<Peak> &table, int firstRow,
                         const MeasurementState &state)
{
    if (table.empty()) {
        PrintAt(surface, kFreqX, MeasurementRowY(firstRow + 1), "---");
        return;
    }
    const double offset = TrimSpaces(state.unit) == "dBm" ? 0.0 : 107.0;
    const int decimals = MHzDecimals(state);
    for (size_t i = 0; i < table.size() && i < 2 * kPeaksPerColumn; ++i) {
        const double left = i < kPeaksPerColumn ? 0.0 : kColumnWidth;
        const double y = MeasurementRowY(firstRow + 1 + static_cast<int>(i % kPeaksPerColumn));
        PrintAt(surface, left + kRankX, y, std::to_string(i + 1));
        PrintAt(surface, left + kFreqX, y, FormatFixed(table[i].freqMHz, decimals, decimals));
        PrintAt(surface, left + kLevelX, y, FormatPicture(table[i].levelDbm + offset, "#0.0"));
    }
}

}  // namespace tavrin
