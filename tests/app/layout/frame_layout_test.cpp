// Where the main frame's windows stand: the default arrangement, the windows that follow the
// frame, the split under the display, and placements brought back into a smaller frame.
#include <optional>
#include <tuple>

#include <gtest/gtest.h>

#include "layout/frame_layout.h"

namespace tavrin {
namespace {

// A frame of 1600 x 1000 and a panel that asks for 400 x 1300 (it must scroll, 16 more across).
FrameSizes Sizes(bool waterfallOpen = false, Size client = {1600, 1000}, Size hint = {400, 1300})
{
    return {client, hint, {300, 200}, 16, waterfallOpen};
}

TEST(LayoutDefault, DisplayTakesWhatThePanelLeavesAndTheWaterfallSharesItsColumn)
{
    const std::tuple<FrameSizes, double, Arrangement> cases[] = {
        {Sizes(), 0.4, {{0, 0, 1184, 1000}, {1184, 0, 416, 1000}, {}, true}},
        {Sizes(false, {1600, 1000}, {400, 900}), 0.4, {{0, 0, 1200, 1000}, {1200, 0, 400, 1000}, {}, false}},
        {Sizes(true), 0.4, {{0, 0, 1184, 600}, {1184, 0, 416, 1000}, {0, 600, 1184, 400}, true}},
        {Sizes(true), 0.25, {{0, 0, 1184, 750}, {1184, 0, 416, 1000}, {0, 750, 1184, 250}, true}},
        // A share out of bounds is brought to 0.1 or 0.9, and each window keeps its least height.
        {Sizes(true), 0.05, {{0, 0, 1184, 880}, {1184, 0, 416, 1000}, {0, 880, 1184, 120}, true}},
        {Sizes(true), 0.95, {{0, 0, 1184, 200}, {1184, 0, 416, 1000}, {0, 200, 1184, 800}, true}},
        // 1366 x 768 less the menu and status bars.
        {Sizes(false, {1366, 700}, {430, 1250}), 0.4, {{0, 0, 920, 700}, {920, 0, 446, 700}, {}, true}},
        // Narrow: the panel gives way down to its least width, the display down to 200.
        {Sizes(false, {500, 700}, {400, 900}), 0.4, {{0, 0, 200, 700}, {200, 0, 300, 700}, {}, true}},
        {Sizes(false, {400, 700}, {400, 900}), 0.4, {{0, 0, 200, 700}, {200, 0, 300, 700}, {}, true}},
        // Low: both windows at their least heights, the frame scrolls.
        {Sizes(true, {1600, 250}), 0.4, {{0, 0, 1184, 200}, {1184, 0, 416, 250}, {0, 200, 1184, 120}, true}},
    };
    for (const auto &[sizes, share, expected] : cases) {
        const Arrangement a = DefaultArrangement(sizes, share);
        EXPECT_EQ(a, expected) << sizes.client.width << "x" << sizes.client.height << " share " << share
                               << ": display " << a.display.width << "x" << a.display.height << " panel x "
                               << a.panel.x << " waterfall y " << a.waterfall.y;
    }
}

TEST(LayoutPlaced, PlacedWindowsStayAndAreBroughtIntoASmallerFrame)
{
    const Size client{1600, 1000};
    const std::pair<Rect, Rect> cases[] = {
        {{100, 50, 400, 500}, {100, 50, 400, 500}},
        {{2000, 900, 1800, 1200}, {0, 0, 1600, 1000}},  // from a larger screen
        {{1500, 950, 400, 300}, {1200, 700, 400, 300}},
        {{-50, -20, 400, 300}, {0, 0, 400, 300}},
        {{10, 10, 100, 50}, {10, 10, 200, 200}},  // below the least size
    };
    for (auto [placed, shown] : cases)
        EXPECT_EQ(IntoFrame(placed, client, kLeastDisplay), shown) << placed.x << "," << placed.y;
    EXPECT_EQ(IntoFrame({10, 10, 300, 300}, {150, 100}, kLeastDisplay), (Rect{0, 0, 200, 200})) << "frame too small";

    FrameLayout layout;
    layout.display = Rect{100, 50, 800, 600};
    layout.waterfall = Rect{2000, 100, 500, 300};
    for (Size size : {Size{1600, 1000}, Size{1920, 1080}}) {
        const Arrangement a = Arrange(Sizes(true, size), layout);
        const Arrangement d = DefaultArrangement(Sizes(true, size), layout.waterfallShare);
        EXPECT_EQ(a.display, (Rect{100, 50, 800, 600})) << "stays where the user put it";
        EXPECT_EQ(a.panel, d.panel) << "follows the frame";
        EXPECT_EQ(a.waterfall, (Rect{size.width - 500, 100, 500, 300})) << "brought in";
    }
    EXPECT_EQ(Arrange(Sizes(false), layout).waterfall, Rect{}) << "closed";
    layout.panel = Rect{1000, 0, 400, 500};
    EXPECT_TRUE(Arrange(Sizes(), layout).panelScrolls);
    EXPECT_FALSE(Arrange(Sizes(false, {1600, 1000}, {400, 450}), layout).panelScrolls);
    EXPECT_EQ(std::tuple(Follows(layout, FrameWindow::Display), Follows(layout, FrameWindow::Panel),
                         Follows(FrameLayout{}, FrameWindow::Waterfall)),
              std::tuple(false, false, true));
}

TEST(LayoutUserChange, MovingTheSplitKeepsBothFollowingAnyOtherChangePlacesTheWindow)
{
    const FrameSizes open = Sizes(true);  // display 0,0 1184x600 over waterfall 0,600 1184x400
    const FrameLayout start;
    using W = FrameWindow;
    const std::tuple<FrameSizes, W, Rect, FrameLayout> cases[] = {
        {open, W::Display, {0, 0, 1184, 700}, {std::nullopt, std::nullopt, std::nullopt, 0.3}},
        {open, W::Waterfall, {0, 500, 1184, 500}, {std::nullopt, std::nullopt, std::nullopt, 0.5}},
        {open, W::Display, {0, 0, 1184, 990}, {std::nullopt, std::nullopt, std::nullopt, 0.1}},  // as far as it goes
        {open, W::Display, {0, 0, 1184, 600}, start},  // the program's own placing, told back
        {open, W::Display, {0, 0, 1000, 600}, {Rect{0, 0, 1000, 600}, std::nullopt, std::nullopt, 0.4}},
        {open, W::Waterfall, {100, 100, 600, 300}, {std::nullopt, std::nullopt, Rect{100, 100, 600, 300}, 0.4}},
        {open, W::Panel, {1100, 0, 500, 1000}, {std::nullopt, Rect{1100, 0, 500, 1000}, std::nullopt, 0.4}},
        // Without the waterfall a lower display is a display the user placed.
        {Sizes(), W::Display, {0, 0, 1184, 800}, {Rect{0, 0, 1184, 800}, std::nullopt, std::nullopt, 0.4}},
    };
    for (const auto &[sizes, window, rect, expected] : cases)
        EXPECT_EQ(AfterUserChange(start, sizes, window, rect), expected)
            << static_cast<int>(window) << " " << rect.x << "," << rect.y << " " << rect.width << "x" << rect.height;

    // The moved split holds when the frame is resized; the default arrangement puts it back.
    const FrameLayout moved = AfterUserChange(start, open, W::Display, {0, 0, 1184, 700});
    const Arrangement smaller = Arrange(Sizes(true, {1600, 800}), moved);
    EXPECT_EQ(std::pair(smaller.display, smaller.waterfall), std::pair(Rect{0, 0, 1184, 560}, Rect{0, 560, 1184, 240}));
    EXPECT_EQ(Arrange(Sizes(true), FrameLayout{}).waterfall, (Rect{0, 600, 1184, 400}));
    // Once a window is placed, a change of the display's height is no split any more.
    const FrameLayout placed = AfterUserChange(start, open, W::Waterfall, {100, 100, 600, 300});
    EXPECT_EQ(AfterUserChange(placed, open, W::Display, {0, 0, 1184, 700}).display, (Rect{0, 0, 1184, 700}));
}

}  // namespace
}  // namespace tavrin
