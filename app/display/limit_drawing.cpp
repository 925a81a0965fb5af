#include "display/limit_drawing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace tavrin {

namespace {

// Limit segments are clipped to these, a little wider than the graticule's 498.
constexpr double kLimitLeft = 0.0;
constexpr double kLimitRight = 500.0;

enum class Side { Left, Visible, Right, Unknown };

Side SideOf(double x)
{
    if (std::isnan(x))
        return Side::Unknown;
    if (x < kLimitLeft)
        return Side::Left;
    if (x > kLimitRight)
        return Side::Right;
    return Side::Visible;
}

// A line's segments as drawn: a run of joined segments that stays within one column of pixels is
// one stroke from its lowest to its highest point (the step into the next column joins that
// column's stroke), so that what a line of a million points costs depends on the width of the
// surface, not on the file.
class ColumnStrokes {
public:
    ColumnStrokes(DrawingSurface &surface, uint32_t color)
        : surface_(surface), color_(color), pixelsPerUnit_(surface.PixelsPerUnit())
    {
    }
    ~ColumnStrokes() { Flush(); }
    ColumnStrokes(const ColumnStrokes &) = delete;
    ColumnStrokes &operator=(const ColumnStrokes &) = delete;

    void Segment(double ax, double ay, double bx, double by)
    {
        const double from = std::floor(ax * pixelsPerUnit_), to = std::floor(bx * pixelsPerUnit_);
        const bool joined = open_ && from == column_ && ax == endX_ && ay == endY_;
        if (joined && to == column_) {
            low_ = std::min(low_, by), high_ = std::max(high_, by);
            endX_ = bx, endY_ = by;
            ++count_;
            return;
        }
        // Out of a crowded column into the next one: the step is part of that column's stroke.
        const bool crowdedStep = joined && count_ > 1 && to == column_ + 1;
        Flush();
        if (from != to && !crowdedStep) {
            surface_.Line(ax, ay, bx, by, color_);
            return;
        }
        open_ = true, column_ = to, count_ = crowdedStep ? 2 : 1;
        startX_ = crowdedStep ? bx : ax, startY_ = ay, endX_ = bx, endY_ = by;
        low_ = std::min(ay, by), high_ = std::max(ay, by);
    }

    // The right edge of the column of the run that ends at (x, y), when it lies on the screen;
    // NaN when no run ends there.
    double RunColumnEnd(double x, double y) const
    {
        const double edge = (column_ + 1) / pixelsPerUnit_;
        return open_ && x == endX_ && y == endY_ && edge <= kLimitRight ? edge : std::nan("");
    }
    // Points that lie in the run's column join it: their lowest and highest place and the last one.
    void Extend(double low, double high, double x, double y)
    {
        low_ = std::min(low_, low), high_ = std::max(high_, high);
        endX_ = x, endY_ = y;
        count_ += 2;
    }

    void Flush()
    {
        if (!open_)
            return;
        open_ = false;
        if (count_ == 1)
            surface_.Line(startX_, startY_, endX_, endY_, color_);
        else
            surface_.Line(startX_, low_, startX_, high_, color_);
    }

private:
    DrawingSurface &surface_;
    uint32_t color_;
    double pixelsPerUnit_;
    bool open_ = false;
    double column_ = 0;
    long count_ = 0;
    double startX_ = 0, startY_ = 0, endX_ = 0, endY_ = 0, low_ = 0, high_ = 0;
};

// Returns false when the line ends here. A segment whose drawn ends would not be finite numbers (a
// position that is NaN, an infinite level, a cut through an infinitely distant end) is left out;
// like any other, it ends the line only when it leaves on the right.
bool DrawLimitSegment(ColumnStrokes &strokes, double x1, double y1, double x2, double y2)
{
    Side from = SideOf(x1);
    Side to = SideOf(x2);
    if (from == Side::Right)
        return false;
    bool endsLine = to == Side::Right;
    if (from == Side::Unknown || to == Side::Unknown || to == Side::Left)
        return !endsLine;

    // The points of interpolation lie strictly between x1 and x2 whenever they are needed, so a
    // vertical segment (x1 == x2) never divides by zero: it is drawn as it is, or not at all.
    auto yAt = [&](double x) { return (x - x1) * (y2 - y1) / (x2 - x1) + y1; };
    double ax = x1, ay = y1, bx = x2, by = y2;
    if (from == Side::Left) {
        ax = kLimitLeft;
        ay = yAt(kLimitLeft);
    }
    if (to == Side::Right) {
        bx = kLimitRight;
        by = yAt(kLimitRight);
    }
    if (std::isfinite(ax) && std::isfinite(ay) && std::isfinite(bx) && std::isfinite(by))
        strokes.Segment(ax, ay, bx, by);
    return !endsLine;
}

// The segment to start from: in a line of rising frequencies the segments before the one that
// reaches the first point on or right of the left edge lie wholly left of the screen.
size_t FirstSegment(const LimitLine &line, const LimitPlacement &at)
{
    if (!line.ascending || !at.Rising() || line.points.size() < 2)
        return 0;
    const auto first = std::partition_point(line.points.begin() + 1, line.points.end(),
                                            [&](const LimitPoint &p) { return at.X(p.freqMHz) < kLimitLeft; });
    return static_cast<size_t>(first - line.points.begin()) - 1;
}

// Each point is placed once: a segment starts where the one before it ended. In a line of rising
// frequencies the points that surely fall in the column of the run drawn last join it by their
// frequency alone, a block at a time where whole blocks do, with no position worked out: the same
// picture, at a cost the screen's width bounds rather than the file.
void DrawLimitLine(DrawingSurface &surface, const LimitLine &line, const LimitPlacement &at)
{
    ColumnStrokes strokes(surface, line.color);
    const std::vector<LimitPoint> &p = line.points;
    const bool rising = line.ascending && at.Rising();
    size_t i = FirstSegment(line, at);
    double x1 = at.X(p[i].freqMHz), y1 = at.Y(p[i].levelDbm);
    while (++i < p.size()) {
        const double edge = rising ? at.FrequencyLeftOf(strokes.RunColumnEnd(x1, y1)) : std::nan("");
        if (p[i].freqMHz < edge) {
            double low = p[i].levelDbm, high = low;
            for (size_t next = i + 1; next < p.size(); next = i + 1) {
                const size_t block = next / kLimitBlock;
                if (next % kLimitBlock == 0 && block < line.blocks.size() && line.blocks[block].lastFreqMHz < edge) {
                    low = std::min(low, line.blocks[block].lowDbm), high = std::max(high, line.blocks[block].highDbm);
                    i = next + kLimitBlock - 1;
                } else if (p[next].freqMHz < edge) {
                    low = std::min(low, p[next].levelDbm), high = std::max(high, p[next].levelDbm);
                    i = next;
                } else {
                    break;
                }
            }
            x1 = at.X(p[i].freqMHz), y1 = at.Y(p[i].levelDbm);
            strokes.Extend(at.Y(low), at.Y(high), x1, y1);
            continue;
        }
        const double x2 = at.X(p[i].freqMHz), y2 = at.Y(p[i].levelDbm);
        if (!DrawLimitSegment(strokes, x1, y1, x2, y2))
            break;
        x1 = x2, y1 = y2;
    }
}

// The lines a limit line drew, kept with what they were drawn from: the next trace's redraw
// draws them again without going through the points.
struct DrawnLimit {
    uint64_t revision = 0;
    LimitPlacement placement{MeasurementState{}};
    double pixelsPerUnit = 0;
    bool printer = false;
    uint32_t color = 0;
    std::vector<std::array<double, 4>> lines;
};

// Hands the lines on to the surface and keeps them.
class KeepingSurface : public DrawingSurface {
public:
    KeepingSurface(DrawingSurface &surface, std::vector<std::array<double, 4>> &kept) : surface_(surface), kept_(kept) {}
    bool IsPrinter() const override { return surface_.IsPrinter(); }
    double PixelsPerUnit() const override { return surface_.PixelsPerUnit(); }
    void Line(double x1, double y1, double x2, double y2, uint32_t color) override
    {
        kept_.push_back({x1, y1, x2, y2});
        surface_.Line(x1, y1, x2, y2, color);
    }
    void LineTo(double, double, uint32_t) override {}
    void Rectangle(double, double, double, double, uint32_t) override {}
    void FilledRectangle(double, double, double, double, uint32_t) override {}
    void SetDrawStyle(DrawStyle) override {}
    void SetForeColor(uint32_t) override {}
    void SetFontSize(double) override {}
    void SetTextPosition(double, double) override {}
    void Print(const std::string &) override {}

private:
    DrawingSurface &surface_;
    std::vector<std::array<double, 4>> &kept_;
};

}  // namespace

void DrawLimitLines(DrawingSurface &surface, const LimitLines &limits, const MeasurementState &state)
{
    // Drawing happens on the window's thread only.
    static std::array<DrawnLimit, 2> drawn;
    const LimitPlacement at(state);
    for (size_t k = 0; k < limits.size(); ++k) {
        const LimitLine &line = limits[k];
        if (!LimitLineOn(line))
            continue;
        DrawnLimit &kept = drawn[k];
        const double pixels = surface.PixelsPerUnit();
        const bool printer = surface.IsPrinter();
        if (line.revision != 0 && kept.revision == line.revision && kept.placement == at &&
            kept.pixelsPerUnit == pixels && kept.printer == printer && kept.color == line.color) {
            for (const auto &[x1, y1, x2, y2] : kept.lines)
                surface.Line(x1, y1, x2, y2, line.color);
            continue;
        }
        kept = {line.revision, at, pixels, printer, line.color, {}};
        KeepingSurface keeping(surface, kept.lines);
        DrawLimitLine(keeping, line, at);
    }
}

}  // namespace tavrin
