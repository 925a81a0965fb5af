// The limit test of the session: the two lines as the user set them, each trace judged once
// against them, the counters, and what a failure sets off (a beep and a capture, asked of the
// program; a row in the failure log, written here).
#pragma once

#include "limits/limit_lines.h"
#include "limits/limit_verdict.h"
#include "limits/limit_watch.h"

#include <array>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavrin {

using LimitVerdicts = std::array<std::optional<LimitVerdict>, 2>;

class LimitTest {
public:
    struct Events {
        std::function<void()> changed;
        std::function<void(const LimitActions &)> alarm;  // a beep or a capture is due
        std::function<void(const std::string &text)> problem;
    };
    // logPath: the failure log's file.
    LimitTest(Events events, std::function<std::string()> logPath);

    void SetShown(size_t line, bool on);
    // The file the line's selector names ("NONE" for none), with its points.
    void SetFile(size_t line, const std::string &name, std::vector<LimitPoint> points);
    void SetKind(size_t line, LimitKind kind);
    void SetAlarms(const LimitAlarms &alarms);
    // Every counter starts again.
    void ClearCounts();
    // The capture of a failure could not be saved: said once, and captures switched off.
    void CaptureFailed(const std::string &why);
    // A limit file was made or replaced: a line showing it takes its new points.
    void FileChanged(const std::string &name, const std::vector<LimitPoint> &points);

    // A new trace (the one the markers read) at the screen's settings: judged and counted, the
    // alarms set off. seconds: a steady clock.
    void Judge(const TracePoints *trace, const MeasurementState &state, std::time_t time, double seconds);
    // The verdicts again after a change of the lines, without counting (nothing new was measured).
    void Rejudge(const TracePoints *trace, const MeasurementState &state);

    const LimitLines &Lines() const { return lines_; }
    const LimitVerdicts &Verdicts() const { return verdicts_; }
    LimitCount Count(size_t line) const { return watch_.Count(line); }
    const LimitAlarms &Alarms() const { return alarms_; }

private:
    LimitVerdicts VerdictsOn(const TracePoints *trace, const MeasurementState &state) const;
    void Log(size_t line, const LimitVerdict &verdict, const MeasurementState &state, std::time_t time);
    void Changed();

    Events e_;
    std::function<std::string()> logPath_;
    LimitLines lines_ = InitialLimitLines();
    LimitWatch watch_;
    LimitAlarms alarms_;
    LimitVerdicts verdicts_;
};

}  // namespace tavrin
