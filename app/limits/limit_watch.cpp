#include "limits/limit_watch.h"

#include "common/csv_field.h"
#include "common/date_format.h"
#include "common/number_format.h"
#include "common/text_number.h"

namespace tavrin {

LimitActions LimitWatch::Judged(const std::array<std::optional<LimitVerdict>, 2> &verdicts, double seconds,
                                const LimitAlarms &alarms)
{
    LimitActions act;
    bool news = false;
    for (size_t k = 0; k < lines_.size(); ++k) {
        if (!verdicts[k] || verdicts[k]->outcome == LimitOutcome::None)
            continue;
        Line &line = lines_[k];
        ++line.count.judged;
        if (verdicts[k]->outcome == LimitOutcome::Pass) {
            line.failing = false;
            continue;
        }
        ++line.count.failed;
        const bool turned = !line.failing;
        line.failing = true;
        news = news || turned;
        if (turned || seconds - line.logged >= kLogSpacing) {
            act.log[k] = alarms.log;
            line.logged = seconds;
        }
    }
    act.beep = news && alarms.beep;
    if (news && alarms.capture && seconds - captured_ >= kCaptureSpacing) {
        act.capture = true;
        captured_ = seconds;
    }
    return act;
}

const char kFailureLogHeading[] =
    "time,line,limit,kind,worst_margin_db,worst_freq_mhz,center_mhz,span,ref_level_dbm,rbw\r\n";

std::string FailureLogRow(std::time_t time, size_t line, const std::string &name, LimitKind kind,
                          const LimitVerdict &verdict, const MeasurementState &state)
{
    return FormatIsoTime(time) + "," + std::to_string(line + 1) + "," + CsvField(name) + "," +
           (kind == LimitKind::Upper ? "upper" : "lower") + "," + FormatFixed(verdict.worstMarginDb, 2, 2) + "," +
           FormatFixed(verdict.worstFreqMHz, 6, 6) + "," + CsvField(TrimSpaces(state.centerFreqMHz)) + "," +
           CsvField(TrimSpaces(state.spanCaption)) + "," + CsvField(TrimSpaces(state.refLevelDbm)) + "," +
           CsvField(TrimSpaces(state.rbwCaption)) + "\r\n";
}

}  // namespace tavrin
