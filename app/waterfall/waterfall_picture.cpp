#include "waterfall/waterfall_picture.h"

#include "common/color_qt.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace tavrin {

namespace {

// The display's screen units across the window.
constexpr int kLeftUnits = 50, kRightUnits = 548, kAllUnits = 570;
constexpr QRgb kText = 0xffe0e0e0;

}  // namespace

WaterfallLayout LayOut(QSize client, qreal ratio, int lineHeight)
{
    WaterfallLayout l;
    l.header = lineHeight + 6;  // room for the division ticks under the text
    l.footer = lineHeight + 2;
    const int width = static_cast<int>(std::lround(client.width() * ratio));
    const int height = static_cast<int>(std::lround((client.height() - l.header - l.footer) * ratio));
    l.firstColumn = width * kLeftUnits / kAllUnits;
    const int last = width * kRightUnits / kAllUnits;
    l.columns = std::max(0, last - l.firstColumn + 1);
    l.picture = QSize(std::max(0, last + 1), std::max(0, height));
    const qreal left = l.picture.width() / ratio + 3;
    l.scale = QRectF(left, l.header, std::max<qreal>(4, client.width() - 3 - left), l.picture.height() / ratio);
    return l;
}

WaterfallPicture::WaterfallPicture()
{
    for (int level = 0; level <= kTopLevelValue; ++level)
        colors_[static_cast<size_t>(level)] = ToQColor(LevelColor(level)).rgb();
}

void WaterfallPicture::Resize(const WaterfallLayout &layout, qreal ratio, const QFont &font)
{
    ratio_ = ratio;
    font_ = font;
    first_ = layout.firstColumn;
    ranges_.resize(static_cast<size_t>(layout.columns));
    for (int c = 0; c < layout.columns; ++c)
        ranges_[static_cast<size_t>(c)] = ColumnPoints(c, layout.columns);
    image_ = QImage(layout.picture, QImage::Format_RGB32);
    image_.setDevicePixelRatio(ratio);
    image_.fill(kEmpty);
}

void WaterfallPicture::Push(const WaterfallRow &row, int height)
{
    if (image_.isNull())
        return;
    height = std::min(height, image_.height());
    const auto line = static_cast<size_t>(image_.bytesPerLine());
    uchar *bits = image_.bits();
    std::memmove(bits + line * static_cast<size_t>(height), bits, line * static_cast<size_t>(image_.height() - height));
    Draw(0, row, height);
}

void WaterfallPicture::Redraw(const WaterfallRows &rows)
{
    if (image_.isNull())
        return;
    image_.fill(kEmpty);
    // Oldest first: a time written beside a row reaches down over the older rows' time column.
    const auto &kept = rows.Rows();
    int y = rows.Height();
    for (const WaterfallRow &row : kept) {
        y -= rows.HeightOf(row);
        if (y < image_.height())
            Draw(y, row, rows.HeightOf(row));
    }
}

void WaterfallPicture::Draw(int y, const WaterfallRow &row, int height)
{
    if (row.kind == RowKind::Trace)
        DrawTrace(y, row);
    else
        DrawBand(y, row, height);
}

void WaterfallPicture::DrawTrace(int y, const WaterfallRow &row)
{
    auto *line = reinterpret_cast<QRgb *>(image_.scanLine(y));
    std::fill(line, line + first_, kTimeColumn);
    const TracePoints &points = row.trace.points;
    QRgb *column = line + first_;
    for (const PointRange &r : ranges_) {
        int16_t level = points[static_cast<size_t>(r.first)];
        for (int n = r.first + 1; n <= r.last; ++n)
            level = std::max(level, points[static_cast<size_t>(n)]);
        *column++ = colors_[static_cast<size_t>(level)];
    }
    if (!row.timeLabel)
        return;
    // A tick at the row, the time below it.
    std::fill(line + std::max(0, first_ - 3), line + first_, kText);
    QPainter p(&image_);
    p.setFont(font_);
    p.setPen(QColor::fromRgb(kText));
    p.drawText(QRectF(1, y / ratio_, first_ / ratio_ - 2, 100), Qt::AlignLeft | Qt::AlignTop,
               QString::fromStdString(ClockText(row.trace.time)));
}

void WaterfallPicture::DrawBand(int y, const WaterfallRow &row, int height)
{
    const int rows = std::min(height, image_.height() - y);
    if (rows <= 0)
        return;
    const QRgb fill = row.kind == RowKind::Gap ? kGap : kSeparator;
    for (int i = 0; i < rows; ++i) {
        auto *line = reinterpret_cast<QRgb *>(image_.scanLine(y + i));
        std::fill(line, line + image_.width(), i == 0 && row.kind == RowKind::Separator ? kText : fill);
    }
    QPainter p(&image_);
    p.setFont(font_);
    p.setPen(QColor::fromRgb(kText));
    const QRectF band(0, y / ratio_, image_.width() / ratio_, height / ratio_);
    const QRectF time(1, band.top(), first_ / ratio_ - 2, band.height());
    p.drawText(time, Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(ClockText(row.trace.time)));
    const QRectF words = band.adjusted(first_ / ratio_ + 4, 0, 0, 0);
    const QString text = p.fontMetrics().elidedText(QString::fromStdString(row.text), Qt::ElideRight,
                                                   static_cast<int>(words.width()));
    p.drawText(words, Qt::AlignLeft | Qt::AlignVCenter, text);
}

}  // namespace tavrin
