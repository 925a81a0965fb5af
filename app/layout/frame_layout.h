// Where the main frame's windows stand. By default the display fills the frame's height and all
// the width the control panel leaves, the panel stands beside it at the right edge, and an open
// waterfall shares the display's column, under it. A window the user moved or resized stays where
// it was put; the others follow the frame's size.
#pragma once

#include <optional>

namespace tavrin {

// In the frame's pixels, its upper left corner at (0, 0).
struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    int Bottom() const { return y + height; }
    bool operator==(const Rect &) const = default;
};

struct Size {
    int width = 0, height = 0;
    bool operator==(const Size &) const = default;
};

// The waterfall's share of the column's height, and how far a moved split may go.
inline constexpr double kDefaultWaterfallShare = 0.4;
inline constexpr double kLeastWaterfallShare = 0.1;
inline constexpr double kMostWaterfallShare = 0.9;
// Below these a window shows nothing useful: the frame scrolls rather than shrink them further.
inline constexpr Size kLeastDisplay{200, 200};
inline constexpr Size kLeastWaterfall{200, 120};

enum class FrameWindow { Display, Panel, Waterfall };

// What the user made of the layout, kept between runs: the windows the user placed, where, and
// the split of the column.
struct FrameLayout {
    std::optional<Rect> display, panel, waterfall;  // none: the window follows the frame
    double waterfallShare = kDefaultWaterfallShare;
    bool operator==(const FrameLayout &) const = default;
};

struct FrameSizes {
    Size client;             // the frame's area for its windows
    Size panelHint;          // the panel's window as large as it asks to be, frame and title included
    Size panelMinimum;       // ... and at its smallest
    int scrollBarWidth = 0;  // what the panel's window needs more across when it must scroll
    bool waterfallOpen = false;
};

struct Arrangement {
    Rect display, panel, waterfall;  // the waterfall's is empty while it is closed
    bool panelScrolls = false;       // the panel's window is lower than the panel asks
    bool operator==(const Arrangement &) const = default;
};

// Every window at its default place, the column split at share.
Arrangement DefaultArrangement(const FrameSizes &sizes, double share);

// Where the windows stand now: those the user placed where they were put, brought into the frame
// (a layout kept on a larger screen, a frame made smaller), every other one at its default place.
Arrangement Arrange(const FrameSizes &sizes, const FrameLayout &layout);

// The rectangle within the frame: no larger than the frame (nor smaller than least), moved in
// until all of it lies inside.
Rect IntoFrame(Rect rect, Size client, Size least);

// The layout after the user moved or resized a window to rect. Moving the line between the
// display and the waterfall while both follow the frame moves the split only; any other change
// places the window where the user put it.
FrameLayout AfterUserChange(const FrameLayout &layout, const FrameSizes &sizes, FrameWindow window, Rect rect);

// Whether the window follows the frame's size.
bool Follows(const FrameLayout &layout, FrameWindow window);

}  // namespace tavrin
