// The waterfall's rows without any window: a trace as a row of colours, the points each column
// shows, and what must stand between two traces so that the rows below still say what they mean.
#pragma once

#include "measure/measure_setting.h"
#include "measure/trace.h"
#include "measure/screen_conversions.h"

#include <cstdint>
#include <ctime>
#include <deque>
#include <string>
#include <vector>

namespace tavrin {

// The colour (0x00BBGGRR) of a level step over the 80 dB below the reference level: black 80 dB
// down, blue at 60, cyan at 40, yellow at 20 and red at the reference level, in straight lines
// between (halves to even); steps outside 0..1023 take the nearer end.
uint32_t LevelColor(int level);

// The drawn points 0..498 that column `column` of `columns` covers. A column shows the strongest
// of them, so that a narrow carrier never falls between two columns.
struct PointRange {
    int first = 0;
    int last = 0;
    bool operator==(const PointRange &) const = default;
};
PointRange ColumnPoints(int column, int columns);

enum class RowKind { Trace, Separator, Gap };

struct WaterfallRow {
    RowKind kind = RowKind::Trace;
    Trace trace;        // a band's: the trace that comes after it
    std::string text;        // a band's words
    bool timeLabel = false;  // a trace row with its time written beside it
    int peak = 0;            // the trace's strongest point
};

// Two live traces at least this many seconds apart have a gap between them: the acquisition
// was stopped, or the line was lost, meanwhile.
inline constexpr std::time_t kGapSeconds = 2;

// The bands that come between the trace shown last (null before the first) and the next one,
// older first: a gap between live traces, then a separator when the next trace means other
// frequencies or levels (centre, span, reference level or RBW), or comes from elsewhere (live
// after playback or the other way round), or is the first.
std::vector<WaterfallRow> BandsBefore(const Trace *last, const Trace &next);

// "100.000 MHz  1MHZ/DIV  Ref 0 dBm  RBW 220KHZ"
std::string SettingsText(const AnalyzerSettings &settings, bool dBu);
// "no traces for 42 s", "... 2 min 05 s", "... 1 h 02 min"
std::string GapText(long long seconds);
// Local time "hh:mm:ss".
std::string ClockText(std::time_t time);
// The level in dBm (or dBu) of a level step at a reference level.
double LevelOf(int level, int16_t refLevelDbm, bool dBu);

// The rows that fit into the window's height, oldest first. Heights are counted in pixel rows:
// a trace row is one, a band is `band`. Every `labelEvery` pixel rows a trace row gets its time.
class WaterfallRows {
public:
    struct Heights {
        int capacity = 0;
        int band = 1;
        int labelEvery = 1;
    };

    // Rows that no longer fit are dropped, oldest first.
    void SetHeights(Heights heights);
    const Heights &GetHeights() const { return heights_; }
    // Appends the bands the trace brings and the trace itself; returns how many rows came.
    size_t Add(const Trace &trace);
    void Clear();

    const std::deque<WaterfallRow> &Rows() const { return rows_; }
    int HeightOf(const WaterfallRow &row) const { return row.kind == RowKind::Trace ? 1 : heights_.band; }
    // Pixel rows the kept rows take.
    int Height() const { return height_; }
    // The newest trace, if any.
    const Trace *Newest() const;
    // For a screen reader: how many traces from when to when, and the strongest signal in them.
    std::string Description() const;

private:
    void Push(WaterfallRow row);
    void Trim();

    Heights heights_;
    std::deque<WaterfallRow> rows_;
    int height_ = 0;
    int sinceMark_ = 0;  // pixel rows since the last time label or band
    bool hasLast_ = false;
    Trace last_;  // the trace added last, also when it no longer fits
};

}  // namespace tavrin
