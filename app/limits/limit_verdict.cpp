#include "limits/limit_verdict.h"

#include "common/number_format.h"

#include <algorithm>
#include <cmath>

namespace tavrin {

namespace {

// Interpolation between two points rounds in the last bits: a trace that touches the line must
// not fail by a margin of 1e-14 dB, nor one point be worse than another by as little.
constexpr double kTouching = 1e-6;

LimitVerdict NoVerdict(std::string reason)
{
    LimitVerdict v;
    v.reason = std::move(reason);
    return v;
}

std::string PointText(const std::vector<LimitPoint> &p, size_t i)
{
    return "point " + std::to_string(i + 1) + " (" + PlainDecimal(p[i].freqMHz) + " MHz)";
}

// The first point at or above a frequency no lower than the one asked before (from: where that
// one was). The blocks' last frequencies, a small array, lead to the block that holds it: of a
// million points only a few cache lines are read per frequency.
size_t FirstAtOrAbove(const LimitLine &line, double mhz, size_t from)
{
    const std::vector<LimitPoint> &p = line.points;
    const std::vector<LimitBlock> &blocks = line.blocks;
    const size_t passed = std::min(from / kLimitBlock, blocks.size());
    const auto block = std::partition_point(blocks.begin() + static_cast<std::ptrdiff_t>(passed), blocks.end(),
                                            [&](const LimitBlock &b) { return b.lastFreqMHz < mhz; });
    const size_t first = std::max(from, static_cast<size_t>(block - blocks.begin()) * kLimitBlock);
    const size_t end = block == blocks.end() ? p.size() : first + kLimitBlock - first % kLimitBlock;
    return static_cast<size_t>(std::partition_point(p.begin() + static_cast<std::ptrdiff_t>(first),
                                                    p.begin() + static_cast<std::ptrdiff_t>(end),
                                                    [&](const LimitPoint &a) { return a.freqMHz < mhz; }) -
                               p.begin());
}

// The line's level at a frequency within its first and last point, the points in rising order,
// `at` the first point at or above it. Where several points share the frequency the line is drawn
// straight up or down through all of them, and a trace touching any part of that step passes: the
// most lenient of their levels.
double LevelAt(const std::vector<LimitPoint> &p, size_t at, double mhz, LimitKind kind)
{
    if (p[at].freqMHz == mhz) {
        double level = p[at].levelDbm;
        for (++at; at < p.size() && p[at].freqMHz == mhz; ++at)
            level = kind == LimitKind::Upper ? std::max(level, p[at].levelDbm) : std::min(level, p[at].levelDbm);
        return level;
    }
    const LimitPoint &a = p[at - 1], &b = p[at];
    if (a.levelDbm == b.levelDbm)
        return a.levelDbm;
    const double t = (mhz - a.freqMHz) / (b.freqMHz - a.freqMHz);
    // Finite between any two finite levels.
    return a.levelDbm * (1 - t) + b.levelDbm * t;
}

}  // namespace

LimitVerdict JudgeTrace(const LimitLine &line, const MeasurementState &state, const TracePoints &trace)
{
    const std::vector<LimitPoint> &p = line.points;
    if (p.size() < 2)
        return NoVerdict("the limit file holds a single point");
    if (!line.ascending)
        return NoVerdict("its points are out of order: " + PointText(p, line.firstFalling) + " lies below " +
                         PointText(p, line.firstFalling - 1));
    const double perDivision = MHzPerDivision(state.spanCaption);
    if (IsZeroSpan(state.spanCaption) || !(perDivision > 0 && std::isfinite(perDivision)))
        return NoVerdict("the screen shows no frequencies at this span");
    const PointScale scale(state);
    LimitVerdict v;
    size_t at = 0;
    for (int i = 0; i <= kLastScreenPoint; ++i) {
        const double mhz = scale.MHz(i);
        if (!(mhz >= p.front().freqMHz && mhz <= p.back().freqMHz))
            continue;
        at = FirstAtOrAbove(line, mhz, at);
        const double limit = LevelAt(p, at, mhz, line.kind);
        const double level = scale.Dbm(trace, i);
        double margin = line.kind == LimitKind::Upper ? limit - level : level - limit;
        if (std::abs(margin) < kTouching)
            margin = 0;
        // Of margins that differ only by rounding, the first point's.
        if (v.pointsJudged++ == 0 || margin < v.worstMarginDb - kTouching)
            v.worstMarginDb = margin, v.worstFreqMHz = mhz;
    }
    if (v.pointsJudged == 0)
        return NoVerdict("no point of the screen lies within its frequencies (" + PlainDecimal(p.front().freqMHz) +
                         " to " + PlainDecimal(p.back().freqMHz) + " MHz)");
    v.outcome = v.worstMarginDb < 0 ? LimitOutcome::Fail : LimitOutcome::Pass;
    return v;
}

const char *OutcomeText(LimitOutcome outcome)
{
    return outcome == LimitOutcome::Pass ? "PASS" : outcome == LimitOutcome::Fail ? "FAIL" : "no verdict";
}

}  // namespace tavrin
