// What the comparison lays over the screen: the trace memories in their colours, the difference
// trace on its own scale with its caption, and the notes that say what is not subtracted.
#pragma once

#include "display/screen_view.h"

namespace tavrin {

// The polyline of 500 heights from point 0 to point 498, starting on the first point.
template <class Heights>
void DrawPolyline(DrawingSurface &surface, const Heights &heights, uint32_t color)
{
    surface.Line(0, heights[0], 0, heights[0], color);
    for (int i = 0; i <= kLastScreenPoint; ++i)
        surface.LineTo(i, heights[static_cast<size_t>(i)], color);
}

// The view shows the difference instead of the levels.
inline bool ShowsDifference(const ScreenView &view) { return view.difference && view.difference->Subtracted(); }

// The memories shown, over the main trace.
void DrawMemories(DrawingSurface &surface, const ScreenView &view);
// The level scale of the difference: +40 dB on the top line to -40 dB on the bottom one.
void DrawDifferenceScale(DrawingSurface &surface);
// The difference's caption in the header.
void DrawDifferenceCaption(DrawingSurface &surface, const ScreenView &view);
// The notes of the difference and the memories, at the graticule's foot, each in its colour.
void DrawComparisonNotes(DrawingSurface &surface, const ScreenView &view);

// A note cut into lines of at most width characters at blanks (a longer word stands alone).
std::vector<std::string> WrapNote(const std::string &text, size_t width);

}  // namespace tavrin
