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

std::string SettingsJsonFields(const BlockReport &r)
{
    return "\"center_mhz\":" + JsonNumber(r.centerMHz) + ",\"span\":" + JsonString(TrimSpaces(r.span)) +
           ",\"ref_level_dbm\":" + std::to_string(r.refLevelDbm) + ",\"rbw\":" + JsonString(TrimSpaces(r.rbw));
}

std::string SettingsText(const BlockReport &r)
{
    return "Centre:          " + FormatFixed(r.centerMHz, 3, 3) + " MHz\n" +
           "Span:            " + TrimSpaces(r.span) + "\n" +
           "Reference level: " + std::to_string(r.refLevelDbm) + " dBm\n" +
           "RBW:             " + TrimSpaces(r.rbw) + "\n";
}

TraceRecord MakeRecord(std::time_t time, const BlockReport &report, const LiveTrace &points)
{
    TraceRecord r;
    r.time = ToRecordTime(time);
    r.centerFreqMHz = report.centerMHz;
    r.spanCaption = FixedText<12>(report.span);
    r.refLevelDbm = report.refLevelDbm;
    r.rbwCaption = FixedText<8>(report.rbw);
    r.points = points;
    return r;
}

BlockReport RecordReport(const TraceRecord &r)
{
    return {r.centerFreqMHz, TrimSpaces(PrintableText(FieldText(r.spanCaption))), r.refLevelDbm,
            TrimSpaces(PrintableText(FieldText(r.rbwCaption)))};
}

double PointLevelDbm(int16_t refLevelDbm, int16_t point)
{
    return refLevelDbm - (kTopLevelValue - static_cast<int32_t>(point)) * kDbPerStepRead;
}

std::string TraceJsonLine(const TraceRecord &record)
{
    std::string line = "{\"time\":" + JsonString(CsvTime(record.time)) + "," +
                       SettingsJsonFields(RecordReport(record)) + ",\"levels_dbm\":[";
    for (size_t i = 0; i < record.points.size(); ++i)
        line.append(i ? "," : "").append(JsonNumber(PointLevelDbm(record.refLevelDbm, record.points[i])));
    return line + "]}\n";
}

}  // namespace tavrin::cli
