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

enum class Row { BandPower, Occupied, Noise, AcpMain, AcpLower, AcpUpper };

std::vector<Row> RowsOn(MeasurementSwitches on)
{
    std::vector<Row> rows;
    if (on.bandPower)
        rows.push_back(Row::BandPower);
    if (on.occupiedBandwidth)
        rows.push_back(Row::Occupied);
    if (on.noiseMarker)
        rows.push_back(Row::Noise);
    if (on.adjacentChannel)
        rows.insert(rows.end(), {Row::AcpMain, Row::AcpLower, Row::AcpUpper});
    return rows;
}

const char *RowLabel(Row row)
{
    switch (row) {
    case Row::BandPower: return "Band Power";
    case Row::Occupied: return "OBW 99%";
    case Row::Noise: return "Noise MKR1";
    case Row::AcpMain: return "ACP Main";
    case Row::AcpLower: return "ACP Lower";
    case Row::AcpUpper: return "ACP Upper";
    }
    return "";
}

void PrintAt(DrawingSurface &surface, double x, double y, const std::string &text)
{
    surface.SetTextPosition(x, y);
    surface.Print(text);
}

std::string Level(double value) { return FormatPicture(value, "#0.0"); }

void PrintRow(DrawingSurface &surface, int row, const std::string &value, const std::string &detail)
{
    PrintAt(surface, kValueX, MeasurementRowY(row), value);
    if (!detail.empty())
        PrintAt(surface, kDetailX, MeasurementRowY(row), detail);
}

// Why a channel has no power, in the room of a row: the channel's own range when it leaves the
// screen, else the reason without its advice.
std::string ChannelReason(const ChannelPower &c, int decimals)
{
    if (c.problem.find("leaves the screen") != std::string::npos)
        return "off the screen: " + FormatFixed(c.lowMHz, decimals, decimals) + " to " +
               FormatFixed(c.highMHz, decimals, decimals) + " MHz";
    return c.problem.substr(0, c.problem.find(':'));
}

void PrintChannelRow(DrawingSurface &surface, int row, Row which, const AdjacentChannels &a, const std::string &unit,
                     int decimals)
{
    const ChannelPower &c = which == Row::AcpMain ? a.main : which == Row::AcpLower ? a.lower : a.upper;
    const std::optional<double> &dbc = which == Row::AcpLower ? a.lowerDbc : a.upperDbc;
    const std::string range = FormatFixed(c.lowMHz, decimals, decimals) + " to " +
                              FormatFixed(c.highMHz, decimals, decimals) + " MHz";
    if (which == Row::AcpMain && c.dBm)
        PrintRow(surface, row, Level(*c.dBm + (unit == "dBm" ? 0.0 : 107.0)) + " " + unit, range);
    else if (which != Row::AcpMain && dbc)
        PrintRow(surface, row, Level(*dbc) + " dBc", range);
    else if (!c.problem.empty())
        PrintRow(surface, row, "---", ChannelReason(c, decimals));
    else  // the channel has its power, the main channel none
        PrintRow(surface, row, "---", ChannelReason(a.main, decimals));
}

}  // namespace

int MHzDecimals(const MeasurementState &state)
{
    const double spacing = MHzPerDivision(state.spanCaption) / kPointsPerDivision;
    return spacing > 0 ? std::clamp(static_cast<int>(std::ceil(-std::log10(spacing) - 1e-9)) + 1, 3, 6) : 3;
}

void DrawMeasurementLabels(DrawingSurface &surface, MeasurementSwitches rows)
{
    const std::vector<Row> on = RowsOn(rows);
    for (size_t i = 0; i < on.size(); ++i)
        PrintAt(surface, kLabelX, MeasurementRowY(static_cast<int>(i)), RowLabel(on[i]));
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
        case Row::AcpMain:
        case Row::AcpLower:
        case Row::AcpUpper:
            if (values.adjacent)
                PrintChannelRow(surface, row, on[i], *values.adjacent, unit, decimals);
            break;
        }
    }
}

}  // namespace tavrin
