// What follows the verdicts trace by trace: how many traces each line judged and failed, and
// when a failure calls for a beep, a capture or a line in the failure log.
#pragma once

#include "limits/limit_verdict.h"

#include <array>
#include <ctime>
#include <limits>
#include <optional>
#include <string>

namespace tavrin {

// What a failure sets off; the log is on unless the user switches it off.
struct LimitAlarms {
    bool beep = false;
    bool capture = false;
    bool log = true;
};

struct LimitCount {
    int failed = 0;
    int judged = 0;
    bool operator==(const LimitCount &) const = default;
};

struct LimitActions {
    bool beep = false;
    bool capture = false;
    std::array<bool, 2> log{};  // a line in the failure log for limit 1, limit 2
    bool operator==(const LimitActions &) const = default;
};

// A failure is news when the line passed before, or had no verdict since it was switched on; a
// trace without a verdict changes nothing. The beep and the capture answer news, the capture no
// more often than kCaptureSpacing; the log takes news and every further kLogSpacing of failing.
class LimitWatch {
public:
    static constexpr double kCaptureSpacing = 5;  // seconds
    static constexpr double kLogSpacing = 60;

    // One trace's verdicts (none for a line not judged), at a time in seconds of a steady clock.
    LimitActions Judged(const std::array<std::optional<LimitVerdict>, 2> &verdicts, double seconds,
                        const LimitAlarms &alarms);
    // The line's counter starts again, as it was never failing.
    void Restart(size_t line) { lines_.at(line) = {}; }
    LimitCount Count(size_t line) const { return lines_.at(line).count; }

private:
    static constexpr double kNever = -std::numeric_limits<double>::infinity();
    struct Line {
        LimitCount count;
        bool failing = false;
        double logged = kNever;
    };
    std::array<Line, 2> lines_{};
    double captured_ = kNever;
};

// The failure log's heading and one row: local time, line (1 or 2), limit file name, kind, worst
// margin in dB, its frequency in MHz and the screen's settings; CRLF line ends.
extern const char kFailureLogHeading[];
std::string FailureLogRow(std::time_t time, size_t line, const std::string &name, LimitKind kind,
                          const LimitVerdict &verdict, const MeasurementState &state);

}  // namespace tavrin
