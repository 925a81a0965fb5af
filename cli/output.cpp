#include "cli/output.h"

#include "common/number_format.h"
#include "common/text_number.h"
#include "measure/measurement_state.h"
#include "record/record_csv.h"

#include <cmath>
#include <cstdio>

namespace tavrin::cli {

std::string JsonString(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string JsonNumber(double value) { return std::isfinite(value) ? PlainDecimal(value) : "null"; }

std::string SettingsJsonFields(const AnalyzerSettings &r)
{
    return "\"center_mhz\":" + JsonNumber(r.centerMHz) + ",\"span\":" + JsonString(TrimSpaces(r.span)) +
           ",\"ref_level_dbm\":" + std::to_string(r.refLevelDbm) + ",\"rbw\":" + JsonString(TrimSpaces(r.rbw));
}

std::string SettingsText(const AnalyzerSettings &r)
{
    return "Centre:          " + FormatFixed(r.centerMHz, 3, 3) + " MHz\n" +
           "Span:            " + TrimSpaces(r.span) + "\n" +
           "Reference level: " + std::to_string(r.refLevelDbm) + " dBm\n" +
           "RBW:             " + TrimSpaces(r.rbw) + "\n";
}

double PointLevelDbm(int16_t refLevelDbm, int16_t point)
{
    return refLevelDbm - (kTopLevelValue - static_cast<int32_t>(point)) * kDbPerStepRead;
}

std::string TraceJsonLine(const TraceRecord &record)
{
    std::string line = "{\"time\":" + JsonString(CsvTime(record.time)) + "," +
                       SettingsJsonFields(RecordSettings(record)) + ",\"levels_dbm\":[";
    for (size_t i = 0; i < record.points.size(); ++i)
        line.append(i ? "," : "").append(JsonNumber(PointLevelDbm(record.refLevelDbm, record.points[i])));
    return line + "]}\n";
}

}  // namespace tavrin::cli
