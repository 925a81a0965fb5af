#include "measure/trace_difference.h"

#include "common/number_format.h"
#include "common/text_number.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tavrin {

namespace {

constexpr double kHzInMHz = 1e-6;

std::string Caption(const std::string &caption) { return ToUpperAscii(TrimSpaces(caption)); }

double Level(const SettledTrace &t, size_t point)
{
    return t.settings.refLevelDbm - (kTopLevelValue - t.points->at(point)) * kDbPerStepRead;
}

// The first of the traces (memories named by who) that keeps them from being subtracted; empty
// when none does.
std::string Obstacle(const SettledTrace &t, const std::string &who, const AnalyzerSettings &screen)
{
    if (!t.points)
        return who + " holds no trace: store one first.";
    if (!SameTraceSettings(t.settings, screen))
        return OtherSettingsNote(who, t.settings, screen);
    return {};
}

}  // namespace

std::string DifferenceCaption(DifferenceKind kind) { return kind == DifferenceKind::LiveMinusA ? "Live - A" : "A - B"; }

bool SameTraceSettings(const AnalyzerSettings &a, const AnalyzerSettings &b)
{
    return std::fabs(a.centerMHz - b.centerMHz) < 0.5 * kHzInMHz && Caption(a.span) == Caption(b.span) &&
           a.refLevelDbm == b.refLevelDbm && Caption(a.rbw) == Caption(b.rbw);
}

std::string OtherSettingsNote(const std::string &who, const AnalyzerSettings &memory, const AnalyzerSettings &screen)
{
    std::vector<std::pair<std::string, std::string>> differ;  // its value, the screen's
    if (!(std::fabs(memory.centerMHz - screen.centerMHz) < 0.5 * kHzInMHz))
        differ.emplace_back("centre " + FormatFixed(memory.centerMHz, 3, 6) + " MHz",
                            FormatFixed(screen.centerMHz, 3, 6) + " MHz");
    if (Caption(memory.span) != Caption(screen.span))
        differ.emplace_back("span " + Caption(memory.span), Caption(screen.span));
    if (memory.refLevelDbm != screen.refLevelDbm)
        differ.emplace_back("reference level " + std::to_string(memory.refLevelDbm) + " dBm",
                            std::to_string(screen.refLevelDbm) + " dBm");
    if (Caption(memory.rbw) != Caption(screen.rbw))
        differ.emplace_back("RBW " + Caption(memory.rbw), Caption(screen.rbw));
    std::string taken, shown;
    for (size_t i = 0; i < differ.size(); ++i) {
        const char *joint = i == 0 ? "" : i + 1 == differ.size() ? " and " : ", ";
        taken += joint + differ[i].first;
        shown += joint + differ[i].second;
    }
    return who + " was taken at " + taken + ", the screen shows " + shown + ": it is not subtracted.";
}

TraceDifference SubtractTraces(DifferenceKind kind, const SettledTrace &live, const SettledTrace &a, const SettledTrace &b)
{
    TraceDifference d;
    d.caption = DifferenceCaption(kind);
    const bool liveMinusA = kind == DifferenceKind::LiveMinusA;
    if (liveMinusA && !live.points)
        d.note = "There is no live trace to subtract from.";
    else if (std::string why = Obstacle(a, "Memory A", live.settings); !why.empty())
        d.note = why;
    else if (!liveMinusA && !(why = Obstacle(b, "Memory B", live.settings)).empty())
        d.note = why;
    if (!d.note.empty())
        return d;
    const SettledTrace &from = liveMinusA ? live : a, &taken = liveMinusA ? a : b;
    d.db.emplace();
    for (size_t i = 0; i < d.db->size(); ++i)
        (*d.db)[i] = Level(from, i) - Level(taken, i);
    return d;
}

double DifferenceHeight(double db)
{
    return std::clamp((db + kDifferenceTopDb) / kDbPerStepPlace, 0.0, static_cast<double>(kTopLevelValue));
}

std::array<double, kTracePoints> DifferenceHeights(const std::array<double, kTracePoints> &db)
{
    std::array<double, kTracePoints> heights{};
    std::transform(db.begin(), db.end(), heights.begin(), DifferenceHeight);
    return heights;
}

std::optional<double> ReadDifference(const MeasurementState &state, const TraceDifference &difference, double MHz)
{
    if (!difference.db)
        return std::nullopt;
    return (*difference.db)[static_cast<size_t>(ConvertMHzToNthPoint(state, MHz))];
}

}  // namespace tavrin
