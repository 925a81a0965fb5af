// The peaks of a trace beyond the highest point: a peak table, Next peak, Peak left and Peak right,
// all under one rule, and the point Track peak follows.
//
// A peak is a flat top (one point or several equal ones) whose neighbours on both sides are lower
// and that rises at least the excursion above the lowest point on each side before the trace
// reaches a point as high as it (on its left) or higher (on its right), or the screen's edge. Of
// two equal tops with less than the excursion between them the left one is the peak; with more,
// both are. The peak stands on the middle of its flat top, rounded towards its first point, as
// Peak puts marker 1. A top that touches point 0 or 498 is no peak: the trace may rise further
// beyond the screen, so neither its level nor its frequency would be the signal's. Point 499 is
// never looked at. Only peaks at or above the threshold count.
#pragma once

#include "measure/measurement_state.h"
#include "measure/screen_conversions.h"

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace tavrin {

inline constexpr double kDefaultPeakExcursionDb = 6.0;
inline constexpr size_t kPeakTableRows = 10;

struct PeakRules {
    double excursionDb = kDefaultPeakExcursionDb;
    double thresholdDbm = -std::numeric_limits<double>::infinity();  // none
};

struct Peak {
    int point = 0;        // 1..497
    int16_t value = 0;    // the trace's value there
    double freqMHz = 0;   // the centre at zero span, where every point is taken there
    double levelDbm = 0;

    bool operator==(const Peak &) const = default;
};

// Every peak of the trace, left to right.
std::vector<Peak> FindPeaks(const MeasurementState &state, const TracePoints &trace, const PeakRules &rules);

// The peaks in table order: highest first, equal levels from left to right; at most count of them.
std::vector<Peak> PeakTable(std::vector<Peak> peaks, size_t count = kPeakTableRows);

// The peak that follows the active marker's in table order: the highest one below the marker's
// level, or one of the same level further right. Pressed again and again it walks the whole table.
// markerPoint is the marker's point 0..498, markerValue the trace's value there.
std::optional<Peak> NextPeak(const std::vector<Peak> &peaks, int markerPoint, int16_t markerValue);
// The nearest peak left (right) of a point.
std::optional<Peak> PeakLeftOf(const std::vector<Peak> &peaks, int point);
std::optional<Peak> PeakRightOf(const std::vector<Peak> &peaks, int point);

// The point Track peak puts a marker on: the highest point as Peak finds it, kept on the screen
// (a maximum at point 499 gives 498).
int TrackPeakPoint(const TracePoints &trace);
// A point's frequency for a marker: the centre at zero span.
double PeakFrequencyMHz(const MeasurementState &state, int point);

// The table as CSV: "rank,freq_mhz,level_dbm" ("level_dbu" with dbu, each level 107 more), then
// one row per peak; CRLF line ends.
std::string PeakTableCsv(const std::vector<Peak> &table, bool dbu);

}  // namespace tavrin
