// The two limit lines laid over the trace, and where their points fall on the screen.
#pragma once

#include "measure/measurement_state.h"
#include "measure/screen_conversions.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace tavrin {

struct LimitPoint {
    double freqMHz = 0;
    double levelDbm = 0;
};

struct LimitBlock {
    double lastFreqMHz = 0;
    double lowDbm = 0;
    double highDbm = 0;
};

// An upper limit passes a trace at or below it, a lower limit a trace at or above it.
enum class LimitKind { Upper, Lower };

struct LimitLine {
    bool shown = false;              // chkLim
    std::string selector = "NONE";   // cboLim text
    uint32_t color = 0;              // text colour of the check box, 0x00BBGGRR
    std::vector<LimitPoint> points{LimitPoint{}};
    LimitKind kind = LimitKind::Upper;
    // Set by IndexLimitLine: the frequencies never fall (the order the drawing expects), else the
    // first point whose frequency is below the one before it; and of each block of kLimitBlock
    // points the last frequency and the lowest and highest level. The drawing then finds the first
    // point on the screen by halving and passes over the points of a crowded column a block at a
    // time, without reading them.
    bool ascending = false;
    size_t firstFalling = 0;
    // New at every IndexLimitLine: what was worked out from the points may be kept under it.
    uint64_t revision = 0;
    std::vector<LimitBlock> blocks{};
};

// A line is drawn and judged when its box is checked and its own selector names a file.
inline bool LimitLineOn(const LimitLine &line)
{
    return line.shown && line.selector != "NONE" && !line.points.empty();
}

inline constexpr size_t kLimitBlock = 64;
void IndexLimitLine(LimitLine &line);

using LimitLines = std::array<LimitLine, 2>;

// Limit 1 dark blue, limit 2 red.
LimitLines InitialLimitLines();

// Horizontal position of a frequency (single precision); 0 at zero span.
double LimiterX(const MeasurementState &state, double mhz);
// Vertical position of a level in dBm.
double LimiterY(const MeasurementState &state, double dbm);

// The same two conversions with the settings' texts read once, for the many points of a line.
class LimitPlacement {
public:
    explicit LimitPlacement(const MeasurementState &state);
    double X(double mhz) const;
    double Y(double dbm) const { return (dbm - refLevel_ + 80.0) / kDbPerStepPlace; }
    // X never falls as the frequency rises (a positive, finite division width or zero span), and
    // the centre and reference level are finite numbers.
    bool Rising() const
    {
        return std::isfinite(center_) && std::isfinite(refLevel_) &&
               (zeroSpan_ || (mhzPerUnit_ > 0 && mhzPerUnit_ < HUGE_VAL));
    }
    // With Rising(): every frequency below the result is placed left of x, whatever the rounding.
    double FrequencyLeftOf(double x) const;
    // The same settings place every point where this one does.
    bool operator==(const LimitPlacement &) const = default;

private:
    bool zeroSpan_;
    double center_;
    double mhzPerUnit_;
    double refLevel_;
};

}  // namespace tavrin
