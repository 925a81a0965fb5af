// The JSON payloads of the topics: a trace (the object of tavrin-cli --json with "serial" and
// "seq" first), its peak, and the limit lines' verdicts with their counters.
#pragma once

#include "limits/limit_lines.h"
#include "limits/limit_verdict.h"
#include "limits/limit_watch.h"
#include "record/record_file.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

// {"serial":..,"seq":..,"time":..,"center_mhz":..,"span":..,"ref_level_dbm":..,"rbw":..,"levels_dbm":[..]}
std::string TracePayload(const TraceRecord &record, std::string_view serial, uint64_t seq);
// {"serial":..,"seq":..,"time":..,"freq_mhz":..,"level_dbm":..}: the highest point as Peak finds
// it, its frequency to 0.1 kHz (the centre at zero span), as tavrin-cli peak --json has it.
std::string PeakPayload(const TraceRecord &record, std::string_view serial, uint64_t seq);

// One limit line switched on, as the limit topic tells it.
struct LimitLineReport {
    int line = 1;      // 1 or 2
    std::string name;  // the limit file's name
    LimitKind kind = LimitKind::Upper;
    LimitVerdict verdict;
    LimitCount count;

    bool operator==(const LimitLineReport &) const = default;
};
// {"serial":..,"time":..,"lines":[{"line":1,"name":..,"kind":"upper","verdict":"PASS","reason":"",
//  "margin_db":..,"freq_mhz":..,"failed":..,"judged":..}, ...]}; margin and frequency are null
// without a verdict, whose reason is then said.
std::string LimitPayload(std::string_view serial, std::time_t time, const std::vector<LimitLineReport> &lines);

}  // namespace tavrin
