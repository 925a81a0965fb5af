#include "limits/limit_lines.h"

#include "common/color.h"
#include "common/rounding.h"
#include "common/text_number.h"

#include <algorithm>

namespace tavrin {

LimitLines InitialLimitLines()
{
    LimitLines lines;
    lines[0].color = Rgb(0, 0, 192);
    lines[1].color = Rgb(255, 0, 0);
    return lines;
}

void IndexLimitLine(LimitLine &line)
{
    static uint64_t revisions = 0;
    line.revision = ++revisions;
    const std::vector<LimitPoint> &p = line.points;
    const auto falling = std::is_sorted_until(p.begin(), p.end(), [](const LimitPoint &a, const LimitPoint &b) {
        return a.freqMHz < b.freqMHz;
    });
    line.ascending = falling == p.end();
    line.firstFalling = line.ascending ? 0 : static_cast<size_t>(falling - p.begin());
    line.blocks.clear();
    for (size_t first = 0; first + kLimitBlock <= p.size(); first += kLimitBlock) {
        const auto [low, high] = std::minmax_element(p.begin() + static_cast<std::ptrdiff_t>(first),
                                                     p.begin() + static_cast<std::ptrdiff_t>(first + kLimitBlock),
                                                     [](const LimitPoint &a, const LimitPoint &b) {
                                                         return a.levelDbm < b.levelDbm;
                                                     });
        line.blocks.push_back({p[first + kLimitBlock - 1].freqMHz, low->levelDbm, high->levelDbm});
    }
}

LimitPlacement::LimitPlacement(const MeasurementState &state)
    : zeroSpan_(IsZeroSpan(state.spanCaption)),
      // A centre text that is not a number reads 0 here as everywhere else in the program, so the
      // lines are placed as if the centre were 0 MHz (usually far off the screen) rather than
      // dropped. A caption without a width gives an infinity or NaN, which the drawing leaves out.
      center_(NumericValue(state.centerFreqMHz)), mhzPerUnit_(MHzPerDivision(state.spanCaption) / kPointsPerDivision),
      refLevel_(NumericValue(state.refLevelDbm))
{
}

double LimitPlacement::X(double mhz) const
{
    return zeroSpan_ ? 0.0 : ToSingle((mhz - center_) / mhzPerUnit_ + kCenterPoint);
}

double LimitPlacement::FrequencyLeftOf(double x) const
{
    if (zeroSpan_)
        return x > 0 ? HUGE_VAL : -HUGE_VAL;
    // A thousandth of a unit to spare is far more than the single precision of X loses below 1024.
    return center_ + (x - kCenterPoint - 1e-3) * mhzPerUnit_;
}

double LimiterX(const MeasurementState &state, double mhz) { return LimitPlacement(state).X(mhz); }

double LimiterY(const MeasurementState &state, double dbm) { return LimitPlacement(state).Y(dbm); }

}  // namespace tavrin
