// Limit lines made in the program: from the trace on the screen, from a CSV file, and a limit
// file's CSV form; the names they may be given.
#pragma once

#include "limits/limit_lines.h"

#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

inline constexpr int kScreenPoints = kLastScreenPoint + 1;  // 499

struct LimitRecipe {
    LimitKind kind = LimitKind::Upper;
    double marginDb = 3;             // raised for an upper line, lowered for a lower one
    int widen = 0;                   // points either side
    int maxPoints = kScreenPoints;   // at least 2
};

// Points 0..498 of the trace as a limit line: each point at the highest level (the lowest for a
// lower line) within `widen` points either side, raised (lowered) by the margin. With fewer points
// allowed than the screen has, the points are split into runs of nearly equal length, each drawn
// flat from its first to its last frequency at its highest (lowest) level: the trace it was made
// from still keeps to it by the margin. Empty at a span without frequencies.
std::vector<LimitPoint> LimitFromTrace(const MeasurementState &state, const TracePoints &trace, const LimitRecipe &recipe);

// "frequency_mhz,level_dbm", then one line per point, each number written so that it reads back
// as the same double; CRLF line ends.
std::string LimitCsvText(const std::vector<LimitPoint> &points);

struct LimitCsvResult {
    std::vector<LimitPoint> points;
    std::string error;  // names the line at fault; empty when read
};

// What an imported limit line may hold: the frequencies the analyzer tunes, and the levels one of
// its screens shows (80 dB below the reference levels -30 to +20 dBm).
inline constexpr double kLimitLowestMHz = 0, kLimitHighestMHz = 1150;
inline constexpr double kLimitLowestDbm = -110, kLimitHighestDbm = 20;

// A frequency in MHz and a level in dBm per line, separated by a comma (or a semicolon or a tab),
// '.' as the decimal point, CRLF or LF. A first line without a digit is a heading; blank lines are
// passed over. Anything else that is not two numbers within the ranges above is refused, naming
// the line and what is wrong with it (control bytes shown as \xNN); so is a file without points.
// name: the file, as the messages call it.
LimitCsvResult ParseLimitCsv(std::string_view text, const std::string &name);

// The name as typed, without the spaces around it and a ".lim" at its end.
std::string CleanLimitName(std::string_view typed);
// Why a (cleaned) name cannot name a limit file in the Working folder; empty when it can.
std::string LimitNameProblem(const std::string &name);

}  // namespace tavrin
