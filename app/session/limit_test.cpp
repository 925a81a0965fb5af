#include "session/limit_test.h"

#include "common/safe_file.h"

#include <filesystem>

namespace tavrin {

LimitTest::LimitTest(Events events, std::function<std::string()> logPath)
    : e_(std::move(events)), logPath_(std::move(logPath))
{
}

void LimitTest::Changed()
{
    if (e_.changed)
        e_.changed();
}

void LimitTest::SetShown(size_t line, bool on)
{
    if (line >= lines_.size())
        return;
    lines_[line].shown = on;
    if (on)
        watch_.Restart(line);
    Changed();
}

void LimitTest::SetFile(size_t line, const std::string &name, std::vector<LimitPoint> points)
{
    if (line >= lines_.size())
        return;
    lines_[line].selector = name;
    if (name != "NONE") {
        lines_[line].points = std::move(points);
        IndexLimitLine(lines_[line]);
        watch_.Restart(line);
    }
    Changed();
}

void LimitTest::SetKind(size_t line, LimitKind kind)
{
    if (line >= lines_.size())
        return;
    lines_[line].kind = kind;
    watch_.Restart(line);
    Changed();
}

void LimitTest::SetAlarms(const LimitAlarms &alarms)
{
    alarms_ = alarms;
    Changed();
}

void LimitTest::ClearCounts()
{
    for (size_t k = 0; k < lines_.size(); ++k)
        watch_.Restart(k);
    Changed();
}

void LimitTest::CaptureFailed(const std::string &why)
{
    alarms_.capture = false;
    Changed();
    if (e_.problem)
        e_.problem("The screen of a limit failure could not be saved: " + why +
                   " Capture on failure is switched off; switch it on again in the Limit group once the capture "
                   "folder can be written.");
}

void LimitTest::FileChanged(const std::string &name, const std::vector<LimitPoint> &points)
{
    for (size_t k = 0; k < lines_.size(); ++k) {
        if (lines_[k].selector != name)
            continue;
        lines_[k].points = points;
        IndexLimitLine(lines_[k]);
        watch_.Restart(k);
    }
    Changed();
}

LimitVerdicts LimitTest::VerdictsOn(const TracePoints *trace, const MeasurementState &state) const
{
    LimitVerdicts verdicts;
    if (!trace)
        return verdicts;
    for (size_t k = 0; k < lines_.size(); ++k)
        if (LimitLineOn(lines_[k]))
            verdicts[k] = JudgeTrace(lines_[k], state, *trace);
    return verdicts;
}

void LimitTest::Rejudge(const TracePoints *trace, const MeasurementState &state) { verdicts_ = VerdictsOn(trace, state); }

void LimitTest::Judge(const TracePoints *trace, const MeasurementState &state, std::time_t time, double seconds)
{
    verdicts_ = VerdictsOn(trace, state);
    const LimitActions act = watch_.Judged(verdicts_, seconds, alarms_);
    for (size_t k = 0; k < lines_.size(); ++k)
        if (act.log[k] && alarms_.log)
            Log(k, *verdicts_[k], state, time);
    if ((act.beep || act.capture) && e_.alarm)
        e_.alarm(act);
}

void LimitTest::Log(size_t line, const LimitVerdict &verdict, const MeasurementState &state, std::time_t time)
{
    const std::string path = logPath_();
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    std::string error;
    const std::string row = FailureLogRow(time, line, lines_[line].selector, lines_[line].kind, verdict, state);
    if (AppendDurably(path, kFailureLogHeading, row, error))
        return;
    // Said once: the next failure would say it again every minute.
    alarms_.log = false;
    Changed();
    if (e_.problem)
        e_.problem("The limit failure could not be logged: " + error +
                   ". The failure log is switched off; switch Log on again in the Limit group once the Working "
                   "folder can be written.");
}

}  // namespace tavrin
