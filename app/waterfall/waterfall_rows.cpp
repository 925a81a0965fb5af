#include "waterfall/waterfall_rows.h"

#include "common/color.h"
#include "common/date_format.h"
#include "common/number_format.h"
#include "common/rounding.h"
#include "common/text_number.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace tavrin {

namespace {

bool Played(const Trace &t) { return t.kind == TraceKind::Playback; }

}  // namespace

namespace {

constexpr double kDbPerStop = 20;
// From the reference level down, a stop every 20 dB.
constexpr std::array<std::array<double, 3>, 5> kStops = {{{255, 0, 0}, {255, 255, 0}, {0, 255, 255}, {0, 0, 255}, {0, 0, 0}}};

uint8_t Between(double from, double to, double share)
{
    return static_cast<uint8_t>(RoundHalfEvenToInt32(from + (to - from) * share));
}

std::string TwoDigits(long long n)
{
    char text[24];
    std::snprintf(text, sizeof text, "%02lld", n);
    return text;
}

}  // namespace

uint32_t LevelColor(int level)
{
    const double below = (kTopLevelValue - std::clamp(level, 0, kTopLevelValue)) * kDbPerStepRead;
    const size_t stop = std::min<size_t>(static_cast<size_t>(below / kDbPerStop), kStops.size() - 2);
    const double share = (below - static_cast<double>(stop) * kDbPerStop) / kDbPerStop;
    const auto &a = kStops[stop], &b = kStops[stop + 1];
    return Rgb(Between(a[0], b[0], share), Between(a[1], b[1], share), Between(a[2], b[2], share));
}

PointRange ColumnPoints(int column, int columns)
{
    constexpr int kDrawn = kLastScreenPoint + 1;
    if (columns <= 0)
        return {};
    const int first = std::clamp(column * kDrawn / columns, 0, kLastScreenPoint);
    const int last = ((column + 1) * kDrawn + columns - 1) / columns - 1;
    return {first, std::clamp(last, first, kLastScreenPoint)};
}

std::string SettingsText(const AnalyzerSettings &s, bool dBu)
{
    return FormatPicture(s.centerMHz, "#0.000") + " MHz  " + TrimSpaces(s.span) + "  Ref " +
           PlainDecimal(s.refLevelDbm + (dBu ? 107 : 0)) + (dBu ? " dBu" : " dBm") + "  RBW " +
           TrimSpaces(s.rbw);
}

std::string GapText(long long seconds)
{
    seconds = std::max(0LL, seconds);
    std::string length;
    if (seconds < 60)
        length = std::to_string(seconds) + " s";
    else if (seconds < 3600)
        length = std::to_string(seconds / 60) + " min " + TwoDigits(seconds % 60) + " s";
    else
        length = std::to_string(seconds / 3600) + " h " + TwoDigits(seconds / 60 % 60) + " min";
    return "no traces for " + length;
}

std::string ClockText(std::time_t time)
{
    const std::tm t = LocalTime(time);
    return TwoDigits(t.tm_hour) + ":" + TwoDigits(t.tm_min) + ":" + TwoDigits(t.tm_sec);
}

double LevelOf(int level, int16_t refLevelDbm, bool dBu)
{
    return refLevelDbm - (kTopLevelValue - level) * kDbPerStepRead + (dBu ? 107.0 : 0.0);
}

std::vector<WaterfallRow> BandsBefore(const Trace *last, const Trace &next)
{
    std::vector<WaterfallRow> bands;
    auto add = [&](RowKind kind, std::string text) {
        WaterfallRow band;
        band.kind = kind;
        band.text = std::move(text);
        band.trace.time = next.time;
        band.trace.settings = next.settings;
        band.trace.kind = next.kind;
        bands.push_back(std::move(band));
    };
    const std::string settings = SettingsText(next.settings, next.dBu);
    if (!last) {
        add(RowKind::Separator, settings);
        return bands;
    }
    const bool live = !Played(*last) && !Played(next);
    if (live && next.time - last->time >= kGapSeconds)
        add(RowKind::Gap, GapText(next.time - last->time));
    const AnalyzerSettings &a = last->settings, &b = next.settings;
    if (Played(*last) != Played(next))
        add(RowKind::Separator, (Played(next) ? "Playback: " : "Live: ") + settings);
    else if (a.centerMHz != b.centerMHz || a.span != b.span || a.refLevelDbm != b.refLevelDbm ||
             a.rbw != b.rbw)
        add(RowKind::Separator, settings);
    return bands;
}

void WaterfallRows::SetHeights(Heights heights)
{
    heights_ = heights;
    height_ = 0;
    for (const WaterfallRow &row : rows_)
        height_ += HeightOf(row);
    Trim();
}

void WaterfallRows::Clear()
{
    rows_.clear();
    height_ = 0;
    sinceMark_ = 0;
    hasLast_ = false;
}

void WaterfallRows::Push(WaterfallRow row)
{
    if (row.kind == RowKind::Trace) {
        row.timeLabel = sinceMark_ >= heights_.labelEvery;
        sinceMark_ = row.timeLabel ? 1 : sinceMark_ + 1;
    } else {
        sinceMark_ = 0;
    }
    height_ += HeightOf(row);
    rows_.push_back(std::move(row));
}

void WaterfallRows::Trim()
{
    while (!rows_.empty() && height_ - HeightOf(rows_.front()) >= heights_.capacity) {
        height_ -= HeightOf(rows_.front());
        rows_.pop_front();
    }
}

size_t WaterfallRows::Add(const Trace &trace)
{
    std::vector<WaterfallRow> rows = BandsBefore(hasLast_ ? &last_ : nullptr, trace);
    WaterfallRow row;
    row.trace = trace;
    for (int i = 0; i < kTracePoints; ++i)
        row.trace.points[static_cast<size_t>(i)] = std::clamp<int16_t>(trace.points[static_cast<size_t>(i)], 0, kTopLevelValue);
    const auto drawn = row.trace.points.begin();
    row.peak = static_cast<int>(std::max_element(drawn, drawn + kLastScreenPoint + 1) - drawn);
    rows.push_back(std::move(row));
    for (WaterfallRow &r : rows)
        Push(std::move(r));
    last_ = trace;
    hasLast_ = true;
    Trim();
    return rows.size();
}

const Trace *WaterfallRows::Newest() const
{
    for (auto row = rows_.rbegin(); row != rows_.rend(); ++row)
        if (row->kind == RowKind::Trace)
            return &row->trace;
    return nullptr;
}

std::string WaterfallRows::Description() const
{
    const WaterfallRow *oldest = nullptr, *strongest = nullptr;
    int traces = 0;
    double best = 0;
    for (auto row = rows_.rbegin(); row != rows_.rend(); ++row) {
        if (row->kind != RowKind::Trace)
            continue;
        ++traces;
        oldest = &*row;
        const Trace &t = row->trace;
        const double dBm = LevelOf(t.points[static_cast<size_t>(row->peak)], t.settings.refLevelDbm, false);
        if (!strongest || dBm > best)
            strongest = &*row, best = dBm;
    }
    if (!strongest)
        return "Waterfall, newest trace on top: no traces yet.";
    const Trace &newest = *Newest(), &at = strongest->trace;
    const double mhz = IsZeroSpan(at.settings.span)
                           ? at.settings.centerMHz
                           : ConvertNthPointToMHz(StateOf(at.settings), static_cast<int16_t>(strongest->peak));
    return "Waterfall, newest trace on top: " + std::to_string(traces) + (traces == 1 ? " trace" : " traces") +
           " from " + ClockText(oldest->trace.time) + " to " + ClockText(newest.time) + ". Strongest signal " +
           FormatPicture(best + (at.dBu ? 107 : 0), "#0.0") + (at.dBu ? " dBu" : " dBm") + " at " +
           FormatPicture(mhz, "#0.000") + " MHz, at " + ClockText(at.time) + ".";
}

}  // namespace tavrin
