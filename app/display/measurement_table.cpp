#include "display/measurement_table.h"

#include "common/number_format.h"
#include "common/text_number.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace tavrin {

namespace {

constexpr double kLabelX = 5, kValueX = 155, kDetailX = 255;

enum class Row { BandPower, Occupied, Noise };

std::vector<Row> RowsOn(MeasurementSwitches on)
{
    std::vector<Row> rows;
    if (on.bandPower)
        rows.push_back(Row::BandPower);
    if (on.occupiedBandwidth)
        rows.push_back(Row::Occupied);
    if (on.noiseMarker)
        rows.push_back(Row::Noise);
    return rows;
}

void PrintAt(DrawingSurface &surface, double x, double y, const std::string &text)
{
    surface.SetTextPosition(x, y);
    surface.Print(text);
}

std::string Level(double value) { return FormatPicture(value, "#0.0"); }

// Frequencies to a tenth of the point spacing: three decimals of MHz, up to six on narrow spans.
int MHzDecimals(const MeasurementState &state)
{
    const double spacing = MHzPerDivision(state.spanCaption) / kPointsPerDivision;
    return spacing > 0 ? std::clamp(static_cast<int>(std::ceil(-std::log10(spacing) - 1e-9)) + 1, 3, 6) : 3;
}

void PrintRow(DrawingSurface &surface, int row, const std::string &value, const std::string &detail)
{
    PrintAt(surface, kValueX, MeasurementRowY(row), value);
    if (!detail.empty())
        PrintAt(surface, kDetailX, MeasurementRowY(row), detail);
}

}  // namespace

void DrawMeasurementLabels(DrawingSurface &surface, MeasurementSwitches rows)
{
    const std::vector<Row> on = RowsOn(rows);
    for (size_t i = 0; i < on.size(); ++i) {
        const char *label = on[i] == Row::BandPower ? "Band Power" : on[i] == Row::Occupied ? "OBW 99%" : "Noise MKR1";
        PrintAt(surface, kLabelX, MeasurementRowY(static_cast<int>(i)), label);
    }
}

void DrawMeasurementValues(DrawingSurface &surface, const MeasurementReadings &values, const MarkerReadings &markers,
                           const MeasurementState &state)
{
    const std::string unit = TrimSpaces(state.unit) == "dBm" ? "dBm" : "dBu";
    const int decimals = MHzDecimals(state);
    auto MHz = [decimals](double value) { return FormatFixed(value, decimals, decimals); };
    const std::vector<Row> on = RowsOn(values.on);
    for (size_t i = 0; i < on.size(); ++i) {
        const int row = static_cast<int>(i);
        switch (on[i]) {
        case Row::BandPower:
            if (values.bandPower)
                PrintRow(surface, row, Level(*values.bandPower) + " " + unit, "MKR 1-2: " + MHz(values.bandMHz) + " MHz");
            else
                PrintRow(surface, row, "---", markers[0].onScreen && markers[1].onScreen ? "" : "MKR 1 and 2 needed");
            break;
        case Row::Occupied:
            if (values.occupied)
                PrintRow(surface, row, MHz(values.occupied->highMHz - values.occupied->lowMHz) + " MHz",
                         MHz(values.occupied->lowMHz) + " to " + MHz(values.occupied->highMHz) + " MHz");
            else
                PrintRow(surface, row, "---", "");
            break;
        case Row::Noise:
            if (values.noiseDensity)
                PrintRow(surface, row, Level(*values.noiseDensity) + " " + unit + "/Hz",
                         "NBW " + FormatFixed(values.noiseBandwidthHz / 1e3, 0, 3) + " kHz");
            else
                PrintRow(surface, row, "---", markers[0].onScreen ? "" : "MKR 1 needed");
            break;
        }
    }
}

}  // namespace tavrin
