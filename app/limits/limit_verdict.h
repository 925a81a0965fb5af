// Whether a trace keeps to a limit line: each point of the screen within the line's frequencies
// is compared with the line at that frequency, joined between its points as it is drawn.
#pragma once

#include "limits/limit_lines.h"

#include <string>

namespace tavrin {

enum class LimitOutcome { Pass, Fail, None };

struct LimitVerdict {
    LimitOutcome outcome = LimitOutcome::None;
    std::string reason;        // why there is no verdict
    // The smallest margin over the points judged: limit minus trace for an upper line, trace minus
    // limit for a lower one, in dB; below zero the trace crosses the line. The first point with it.
    double worstMarginDb = 0;
    double worstFreqMHz = 0;
    int pointsJudged = 0;

    bool operator==(const LimitVerdict &) const = default;
};

// Points 0..498 of the trace against the line (its kind, its points; whether it is shown is the
// caller's matter). A trace touching the line passes. No verdict, with the reason, for a line of
// a single point, points out of order, a screen without a frequency axis, or no point of the
// screen within the line's frequencies.
LimitVerdict JudgeTrace(const LimitLine &line, const MeasurementState &state, const TracePoints &trace);

// "PASS", "FAIL" or "no verdict".
const char *OutcomeText(LimitOutcome outcome);

}  // namespace tavrin
