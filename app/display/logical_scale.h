// A logical coordinate system laid over a whole window or paint device, and the way between its
// units and the window's pixels. No Qt: the pointer rules use it without a window.
#pragma once

#include <algorithm>

namespace tavrin {

// (left, top) is the device's upper left corner, (left + width, top + height) its lower right one.
// A negative height makes y grow upward. x and y are scaled independently.
struct LogicalScale {
    double left = 0;
    double top = 0;
    double width = 1;
    double height = 1;
};

struct ScreenPosition {
    double x = 0;
    double y = 0;
    bool operator==(const ScreenPosition &) const = default;
};

// Screen units at a position in a window's logical pixels (as mouse events give it), the window
// being pixelWidth x pixelHeight logical pixels. A window of no size counts as one pixel.
constexpr ScreenPosition PixelToScreen(double px, double py, int pixelWidth, int pixelHeight, LogicalScale s)
{
    return {s.left + px / std::max(1, pixelWidth) * s.width, s.top + py / std::max(1, pixelHeight) * s.height};
}

// The window's logical pixel position of a point in screen units.
constexpr ScreenPosition ScreenToPixel(double x, double y, int pixelWidth, int pixelHeight, LogicalScale s)
{
    return {(x - s.left) / s.width * pixelWidth, (y - s.top) / s.height * pixelHeight};
}

}  // namespace tavrin
