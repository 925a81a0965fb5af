#include "publish/publish_payloads.h"

#include "common/date_format.h"
#include "common/number_format.h"
#include "common/text_number.h"
#include "markers/peak.h"
#include "measure/measurement_state.h"
#include "record/record_csv.h"
#include "record/record_json.h"

#include <algorithm>

namespace tavrin {

namespace {

std::string Leading(std::string_view serial, uint64_t seq)
{
    return "\"serial\":" + JsonString(serial) + ",\"seq\":" + std::to_string(seq) + ",";
}

}  // namespace

std::string TracePayload(const TraceRecord &record, std::string_view serial, uint64_t seq)
{
    return TraceJson(record, Leading(serial, seq));
}

std::string PeakPayload(const TraceRecord &record, std::string_view serial, uint64_t seq)
{
    MeasurementState state;
    state.centerFreqMHz = FormatFixed(record.centerFreqMHz, 3, 3);
    state.spanCaption = TrimSpaces(PrintableText(FieldText(record.spanCaption)));
    state.refLevelDbm = std::to_string(record.refLevelDbm);
    const int point = std::min(PeakPoint(record.points), static_cast<int>(kLastScreenPoint));
    // At zero span every point is taken at the centre.
    const double freq = IsZeroSpan(state.spanCaption) ? record.centerFreqMHz
                                                      : ConvertNthPointToMHz(state, static_cast<int16_t>(point));
    return std::string("{").append(Leading(serial, seq)) + "\"time\":" + JsonString(CsvTime(record.time)) +
           ",\"freq_mhz\":" + JsonNumber(NumericValue(FormatFixed(freq, 4, 4))) +
           ",\"level_dbm\":" + JsonNumber(ConvertNthPointHeightTodBm(state, record.points, point)) + "}";
}

std::string LimitPayload(std::string_view serial, std::time_t time, const std::vector<LimitLineReport> &lines)
{
    std::string json = "{\"serial\":" + JsonString(serial) + ",\"time\":" + JsonString(FormatIsoTime(time)) +
                       ",\"lines\":[";
    for (const LimitLineReport &l : lines) {
        const bool judged = l.verdict.outcome != LimitOutcome::None;
        json += json.back() == '[' ? "{" : ",{";
        json += "\"line\":" + std::to_string(l.line) + ",\"name\":" + JsonString(l.name) +
                ",\"kind\":" + (l.kind == LimitKind::Upper ? "\"upper\"" : "\"lower\"") +
                ",\"verdict\":" + JsonString(OutcomeText(l.verdict.outcome)) + ",\"reason\":" +
                JsonString(judged ? "" : l.verdict.reason) +
                ",\"margin_db\":" + (judged ? JsonNumber(l.verdict.worstMarginDb) : "null") +
                ",\"freq_mhz\":" + (judged ? JsonNumber(l.verdict.worstFreqMHz) : "null") +
                ",\"failed\":" + std::to_string(l.count.failed) + ",\"judged\":" + std::to_string(l.count.judged) +
                "}";
    }
    return json + "]}";
}

}  // namespace tavrin
