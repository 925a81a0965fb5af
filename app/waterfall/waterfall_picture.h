// The waterfall's kept picture: the time column and the rows, newest at the top, in device pixels.
// A new row scrolls the picture down by its height and is drawn once at the top; only a new size
// draws every kept row again.
#pragma once

#include "waterfall/waterfall_pointer.h"
#include "waterfall/waterfall_rows.h"

#include <QFont>
#include <QImage>
#include <array>
#include <vector>

namespace tavrin {

// Where things stand in the window. Across, it maps like the display window (x from -50 at the
// left edge to 520 at the right), so that at the display's width each column stands under the
// same place of the graticule; the time column lies left of x = 0, the colour scale right of 498.
struct WaterfallLayout {
    int header = 0;       // logical pixels above the picture
    int footer = 0;       // ... and below it
    QSize picture;        // device pixels: the time column and the rows
    int firstColumn = 0;  // device pixels: screen x 0 ...
    int columns = 0;      // ... to 498, both included
    QRectF scale;         // logical pixels: the colour bar
};
WaterfallLayout LayOut(QSize client, qreal ratio, int lineHeight);
// The layout as the pointer rules read it.
inline WaterfallGeometry PointerGeometry(const WaterfallLayout &l, qreal ratio)
{
    return {l.header, ratio, l.firstColumn, l.columns, l.picture.height()};
}

class WaterfallPicture {
public:
    // The colours outside the rows.
    static constexpr QRgb kEmpty = 0xff303030;
    static constexpr QRgb kTimeColumn = 0xff202020;
    static constexpr QRgb kSeparator = 0xff28468c;
    static constexpr QRgb kGap = 0xff5a5a5a;

    WaterfallPicture();
    // An empty picture of that size; Redraw fills it.
    void Resize(const WaterfallLayout &layout, qreal ratio, const QFont &font);
    // Scrolls the picture down by height rows and draws the row at the top.
    void Push(const WaterfallRow &row, int height);
    // Every kept row again, newest at the top.
    void Redraw(const WaterfallRows &rows);
    const QImage &Image() const { return image_; }
    // The colour of a level step as the rows show it.
    QRgb Color(int level) const { return colors_[static_cast<size_t>(level)]; }

private:
    void Draw(int y, const WaterfallRow &row, int height);
    void DrawTrace(int y, const WaterfallRow &row);
    void DrawBand(int y, const WaterfallRow &row, int height);

    QImage image_;
    qreal ratio_ = 1;
    QFont font_;
    int first_ = 0;
    std::vector<PointRange> ranges_;  // of each column
    std::array<QRgb, kTopLevelValue + 1> colors_{};
};

}  // namespace tavrin
