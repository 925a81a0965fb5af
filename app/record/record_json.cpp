#include "record/record_json.h"

#include "common/number_format.h"
#include "common/text_number.h"
#include "measure/measurement_state.h"
#include "record/record_csv.h"

#include <cmath>
#include <cstdio>

namespace tavrin {

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

std::string SettingsJsonFields(double centerMHz, std::string_view span, int refLevelDbm, std::string_view rbw)
{
    return "\"center_mhz\":" + JsonNumber(centerMHz) + ",\"span\":" + JsonString(TrimSpaces(span)) +
           ",\"ref_level_dbm\":" + std::to_string(refLevelDbm) + ",\"rbw\":" + JsonString(TrimSpaces(rbw));
}

double PointLevelDbm(int16_t refLevelDbm, int16_t point)
{
    return refLevelDbm - (kTopLevelValue - static_cast<int32_t>(point)) * kDbPerStepRead;
}

std::string TraceJson(const TraceRecord &record, std::string_view leadingFields)
{
    std::string json = "{";
    json.append(leadingFields)
        .append("\"time\":")
        .append(JsonString(CsvTime(record.time)))
        .append(",")
        .append(SettingsJsonFields(record.centerFreqMHz, PrintableText(FieldText(record.spanCaption)),
                                   record.refLevelDbm, PrintableText(FieldText(record.rbwCaption))))
        .append(",\"levels_dbm\":[");
    for (size_t i = 0; i < record.points.size(); ++i)
        json.append(i ? "," : "").append(JsonNumber(PointLevelDbm(record.refLevelDbm, record.points[i])));
    return json + "]}";
}

std::string TraceJsonLine(const TraceRecord &record) { return TraceJson(record) + "\n"; }

}  // namespace tavrin
