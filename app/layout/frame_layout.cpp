#include "layout/frame_layout.h"

#include "common/rounding.h"

#include <algorithm>

namespace tavrin {

namespace {

int PanelWidth(const FrameSizes &s, bool scrolls)
{
    const int asked = std::max(s.panelHint.width + (scrolls ? s.scrollBarWidth : 0), s.panelMinimum.width);
    // The display keeps its least width as long as the panel's least leaves it.
    return std::min(asked, std::max(s.panelMinimum.width, s.client.width - kLeastDisplay.width));
}

double ClampShare(double share)
{
    if (!(share >= kLeastWaterfallShare))  // also NaN
        return share > kMostWaterfallShare ? kMostWaterfallShare : kLeastWaterfallShare;
    return std::min(share, kMostWaterfallShare);
}

// The waterfall's height in a column: its share, yet leaving both windows their least heights
// where the column has room for them.
int WaterfallHeight(int column, double share)
{
    const int wanted = RoundHalfEvenToInt32(column * ClampShare(share));
    if (column < kLeastDisplay.height + kLeastWaterfall.height)
        return kLeastWaterfall.height;
    return std::clamp(wanted, kLeastWaterfall.height, column - kLeastDisplay.height);
}

template <class Layout>
auto &Placement(Layout &layout, FrameWindow window)
{
    return window == FrameWindow::Display ? layout.display : window == FrameWindow::Panel ? layout.panel : layout.waterfall;
}

}  // namespace

Arrangement DefaultArrangement(const FrameSizes &s, double share)
{
    Arrangement a;
    a.panelScrolls = s.panelHint.height > s.client.height;
    const int panel = PanelWidth(s, a.panelScrolls);
    const int width = std::max(kLeastDisplay.width, s.client.width - panel);
    a.panel = {width, 0, panel, std::max(s.client.height, s.panelMinimum.height)};
    if (!s.waterfallOpen) {
        a.display = {0, 0, width, std::max(s.client.height, kLeastDisplay.height)};
        return a;
    }
    const int waterfall = WaterfallHeight(s.client.height, share);
    const int display = std::max(s.client.height - waterfall, kLeastDisplay.height);
    a.display = {0, 0, width, display};
    a.waterfall = {0, display, width, waterfall};
    return a;
}

Rect IntoFrame(Rect r, Size client, Size least)
{
    r.width = std::clamp(r.width, least.width, std::max(least.width, client.width));
    r.height = std::clamp(r.height, least.height, std::max(least.height, client.height));
    r.x = std::clamp(r.x, 0, std::max(0, client.width - r.width));
    r.y = std::clamp(r.y, 0, std::max(0, client.height - r.height));
    return r;
}

Arrangement Arrange(const FrameSizes &s, const FrameLayout &layout)
{
    Arrangement a = DefaultArrangement(s, layout.waterfallShare);
    if (layout.display)
        a.display = IntoFrame(*layout.display, s.client, kLeastDisplay);
    if (layout.panel) {
        a.panel = IntoFrame(*layout.panel, s.client, s.panelMinimum);
        a.panelScrolls = s.panelHint.height > a.panel.height;
    }
    if (layout.waterfall && s.waterfallOpen)
        a.waterfall = IntoFrame(*layout.waterfall, s.client, kLeastWaterfall);
    return a;
}

FrameLayout AfterUserChange(const FrameLayout &layout, const FrameSizes &s, FrameWindow window, Rect r)
{
    const Arrangement now = Arrange(s, layout);
    const Rect &before = window == FrameWindow::Display ? now.display : window == FrameWindow::Panel ? now.panel : now.waterfall;
    FrameLayout next = layout;
    if (r == before)
        return next;  // the program's own placing, told back
    // The split: the line between the two moved, each window keeping its other three edges.
    const bool column = s.waterfallOpen && !layout.display && !layout.waterfall;
    const int height = now.display.height + now.waterfall.height;
    const Rect &d = now.display, &w = now.waterfall;
    if (column && height > 0) {
        if (window == FrameWindow::Display && r.x == d.x && r.y == d.y && r.width == d.width) {
            next.waterfallShare = ClampShare(static_cast<double>(height - r.height) / height);
            return next;
        }
        if (window == FrameWindow::Waterfall && r.x == w.x && r.width == w.width && r.Bottom() == w.Bottom()) {
            next.waterfallShare = ClampShare(static_cast<double>(r.height) / height);
            return next;
        }
    }
    Placement(next, window) = r;
    return next;
}

bool Follows(const FrameLayout &layout, FrameWindow window)
{
    return !Placement(layout, window);
}

}  // namespace tavrin
