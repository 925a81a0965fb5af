#include "cli/output.h"

#include "common/number_format.h"
#include "common/text_number.h"

namespace tavrin::cli {

std::string SettingsJsonFields(const BlockReport &r)
{
    return tavrin::SettingsJsonFields(r.centerMHz, r.span, r.refLevelDbm, r.rbw);
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

}  // namespace tavrin::cli
