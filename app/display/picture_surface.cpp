#include "display/picture_surface.h"

#include "common/color_qt.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPen>
#include <QHash>
#include <QRectF>
#include <QStaticText>
#include <QString>

#include <algorithm>
#include <cmath>

namespace tavrin {

namespace {

// A narrow sans face: the annotation columns were laid out for a small proportional font and a
// wide one runs a heading into the next at the window's first size.
QFont TextFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans Narrow"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    return font;
}

enum Outside : unsigned { kInside = 0, kLeft = 1, kRight = 2, kAbove = 4, kBelow = 8 };

unsigned OutCode(QPointF p, const QRectF &box)
{
    unsigned code = kInside;
    if (p.x() < box.left())
        code |= kLeft;
    else if (p.x() > box.right())
        code |= kRight;
    if (p.y() < box.top())
        code |= kAbove;
    else if (p.y() > box.bottom())
        code |= kBelow;
    return code;
}

// Cuts the segment a-b to the box (Cohen-Sutherland); false when nothing of it lies inside or a
// coordinate is not finite. A cut end takes the box's edge exactly, so that a segment of
// astronomic length keeps its direction where it crosses the box.
bool ClipSegment(QPointF &a, QPointF &b, const QRectF &box)
{
    for (QPointF p : {a, b}) {
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
            return false;
    }
    unsigned codeA = OutCode(a, box), codeB = OutCode(b, box);
    for (int round = 0; round < 8; ++round) {
        if ((codeA | codeB) == kInside)
            return true;
        if (codeA & codeB)
            return false;
        bool moveA = codeA != kInside;
        unsigned code = moveA ? codeA : codeB;
        QPointF from = moveA ? a : b, to = moveA ? b : a;
        QPointF cut;
        if (code & kAbove || code & kBelow) {
            double y = code & kAbove ? box.top() : box.bottom();
            cut = QPointF(from.x() + (to.x() - from.x()) * ((y - from.y()) / (to.y() - from.y())), y);
        } else {
            double x = code & kLeft ? box.left() : box.right();
            cut = QPointF(x, from.y() + (to.y() - from.y()) * ((x - from.x()) / (to.x() - from.x())));
        }
        if (!std::isfinite(cut.x()) || !std::isfinite(cut.y()))
            return false;
        if (moveA) {
            a = cut;
            codeA = OutCode(a, box);
        } else {
            b = cut;
            codeB = OutCode(b, box);
        }
    }
    return (codeA | codeB) == kInside;
}

// Laid-out texts of the pictures, by text and size. Most texts of the screen come again at the next
// drawing, and laying a text out costs more than drawing it. Drawing happens on the window's
// thread only.
const QStaticText &LaidOut(const QString &text, const QFont &font)
{
    static QHash<QString, QStaticText> cache;
    if (cache.size() > 1000)
        cache.clear();
    const QString key = QString::number(font.pixelSize()) + '\n' + text;
    auto found = cache.find(key);
    if (found == cache.end()) {
        QStaticText laidOut(text);
        laidOut.setTextFormat(Qt::PlainText);
        laidOut.prepare(QTransform(), font);
        found = cache.insert(key, laidOut);
    }
    return *found;
}

// A solid one-pixel line along a pixel row or column covers the pixels of this rectangle: a fill,
// which costs a fraction of stroking the line pixel by pixel.
std::optional<QRectF> AsPixelRun(QPointF a, QPointF b)
{
    if (a.x() == b.x() && std::abs(a.y() - b.y()) >= 1) {
        const double top = std::round(std::min(a.y(), b.y())), bottom = std::round(std::max(a.y(), b.y()));
        return QRectF(std::floor(a.x()), top, 1, bottom - top);
    }
    if (a.y() == b.y() && std::abs(a.x() - b.x()) >= 1) {
        const double left = std::round(std::min(a.x(), b.x())), right = std::round(std::max(a.x(), b.x()));
        return QRectF(left, std::floor(a.y()), right - left, 1);
    }
    return std::nullopt;
}

// A dotted one-pixel line straight down a column of a picture, its pixels set as the painter would
// set them (the pixels whose centres it passes, every third from the top), but without the
// painter: a limit line of many points is drawn as a stroke per column of pixels, and the painter's
// cost per stroke is many times that of its few pixels. False when the picture is none it can set.
bool SetDottedColumn(QPaintDevice *device, QPointF a, QPointF b, qreal ratio, uint32_t color)
{
    auto *image = device && device->devType() == QInternal::Image ? static_cast<QImage *>(device) : nullptr;
    if (!image || !image->isDetached() ||
        (image->format() != QImage::Format_RGB32 && image->format() != QImage::Format_ARGB32 &&
         image->format() != QImage::Format_ARGB32_Premultiplied))
        return false;
    const double x = std::floor(a.x() * ratio), top = std::min(a.y(), b.y()) * ratio,
                 bottom = std::max(a.y(), b.y()) * ratio;
    if (!(x >= 0 && x < image->width()))
        return true;
    double first = std::ceil(top - 0.5), last = std::ceil(bottom - 0.5) - 1;
    if (last < first)
        first = last = std::floor(top);  // the pixel it lies in: a stroke stands for points that are there
    const QRgb rgb = ToQColor(color).rgb();
    // The segments reach no further than a picture's size beyond its edges (Reach).
    for (double row = first; row <= std::min(image->height() - 1.0, last); row += 3)
        if (row >= 0)
            reinterpret_cast<QRgb *>(image->scanLine(static_cast<int>(row)))[static_cast<int>(x)] = rgb;
    return true;
}

}  // namespace

PainterSurface::PainterSurface(QPaintDevice &device, LogicalScale scale, Pens pens)
    : scale_(scale), pens_(pens), deviceWidth_(device.width() / device.devicePixelRatioF()),
      deviceHeight_(device.height() / device.devicePixelRatioF()), pixelRatio_(device.devicePixelRatioF()),
      font_(TextFont())
{
    polyline_.reserve(kTracePolylinePoints);
    // The painter already maps logical units onto the device's pixels at its pixel ratio: the
    // screen units are mapped onto the logical size only, or a scaled screen is scaled twice.
    if (deviceWidth_ > 0 && deviceHeight_ > 0 && scale_.width != 0 && scale_.height != 0)
        painter_.begin(&device);
    SetFontSize(9);
}

double PainterSurface::PixelsPerUnit() const
{
    return scale_.width != 0 ? deviceWidth_ * pixelRatio_ / std::fabs(scale_.width) : 1.0;
}

QPointF PainterSurface::Map(double x, double y) const
{
    return QPointF((x - scale_.left) * deviceWidth_ / scale_.width, (y - scale_.top) * deviceHeight_ / scale_.height);
}

QRectF PainterSurface::Reach() const
{
    return QRectF(-deviceWidth_, -deviceHeight_, 3 * deviceWidth_, 3 * deviceHeight_);
}

bool PainterSurface::MapRect(double x1, double y1, double x2, double y2, QRectF &rect) const
{
    QPointF a = Map(x1, y1), b = Map(x2, y2);
    if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) || !std::isfinite(b.y()))
        return false;
    rect = QRectF(a, b).normalized().intersected(Reach());
    return !rect.isEmpty();
}

PainterSurface::~PainterSurface() { FlushPolyline(); }

void PainterSurface::UsePen(uint32_t color, bool text)
{
    const PenKey key{color, text ? DrawStyle::Solid : style_, text};
    if (pen_ == key)
        return;
    pen_ = key;
    if (text)
        painter_.setPen(QPen(ToQColor(color)));
    else
        painter_.setPen(QPen(ToQColor(color), pens_.lineWidth,
                             style_ == DrawStyle::Dotted ? Qt::DotLine : Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
}

void PainterSurface::Drew(const QRectF &deviceRect)
{
    // A pen's width and a text's overhang reach a little beyond the shape.
    if (clearedTo_)
        drawn_ = drawn_.united(deviceRect.adjusted(-2, -2, 2, 2));
}

void PainterSurface::FlushPolyline()
{
    if (polyline_.size() >= 2) {
        const std::optional<QRectF> run = polyline_.size() == 2 && style_ == DrawStyle::Solid && pens_.lineWidth == 0
                                              ? AsPixelRun(polyline_[0], polyline_[1])
                                              : std::nullopt;
        const bool dottedColumn = polyline_.size() == 2 && style_ == DrawStyle::Dotted && pens_.lineWidth == 0 &&
                                  polyline_[0].x() == polyline_[1].x();
        if (run) {
            painter_.fillRect(*run, ToQColor(polylineColor_));
        } else if (!dottedColumn ||
                   !SetDottedColumn(painter_.device(), polyline_[0], polyline_[1], pixelRatio_, polylineColor_)) {
            UsePen(polylineColor_, false);
            painter_.drawPolyline(polyline_);
        }
        Drew(polyline_.boundingRect().adjusted(-pens_.lineWidth, -pens_.lineWidth, pens_.lineWidth, pens_.lineWidth));
    }
    polyline_.clear();
}

void PainterSurface::Clear(uint32_t color)
{
    if (!IsActive())
        return;
    FlushPolyline();
    painter_.save();
    painter_.setCompositionMode(QPainter::CompositionMode_Source);
    painter_.fillRect(QRectF(0, 0, deviceWidth_, deviceHeight_), ToQColor(color));
    painter_.restore();
    clearedTo_ = color;
    drawn_ = QRectF();
}

void PainterSurface::DrawImage(const QImage &image, double left, double top, double width, double height)
{
    if (!IsActive() || image.isNull())
        return;
    FlushPolyline();
    QPointF a = Map(left, top), b = Map(left + width, top - height);
    QRectF target = QRectF(a, b).normalized();
    // Cutting the rectangle would squeeze the picture; one reaching that far is not drawn.
    if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) || !std::isfinite(b.y()) ||
        !Reach().contains(target))
        return;
    painter_.drawImage(target, image);
    Drew(target);
}

bool PainterSurface::End()
{
    FlushPolyline();
    return IsActive() && painter_.end();
}

void PainterSurface::Line(double x1, double y1, double x2, double y2, uint32_t color)
{
    currentX_ = x2;
    currentY_ = y2;
    if (!IsActive())
        return;
    QPointF a = Map(x1, y1), b = Map(x2, y2);
    if (!ClipSegment(a, b, Reach())) {
        FlushPolyline();
        return;
    }
    if (polyline_.isEmpty() || color != polylineColor_ || a != polyline_.back()) {
        FlushPolyline();
        polyline_ << a;
        polylineColor_ = color;
    }
    polyline_ << b;
}

void PainterSurface::LineTo(double x, double y, uint32_t color) { Line(currentX_, currentY_, x, y, color); }

void PainterSurface::Rectangle(double x1, double y1, double x2, double y2, uint32_t color)
{
    QRectF rect;
    if (!IsActive() || !MapRect(x1, y1, x2, y2, rect))
        return;
    FlushPolyline();
    UsePen(color, false);
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(rect);
    Drew(rect.adjusted(-pens_.lineWidth, -pens_.lineWidth, pens_.lineWidth, pens_.lineWidth));
}

void PainterSurface::FilledRectangle(double x1, double y1, double x2, double y2, uint32_t color)
{
    QRectF rect;
    if (!IsActive() || !MapRect(x1, y1, x2, y2, rect))
        return;
    FlushPolyline();
    if (clearedTo_ == color && !rect.intersects(drawn_))
        return;
    painter_.fillRect(rect, ToQColor(color));
    Drew(rect);
}

void PainterSurface::SetDrawStyle(DrawStyle style)
{
    if (style != style_)
        FlushPolyline();
    style_ = style;
}

void PainterSurface::SetForeColor(uint32_t color) { foreColor_ = color; }

void PainterSurface::SetFontSize(double points)
{
    double pixels = points * pens_.pixelsPerPoint;
    if (!(pixels >= pens_.minFontPixels))  // also a NaN size
        pixels = pens_.minFontPixels;
    const int size = std::max(1, static_cast<int>(std::lround(std::min(pixels, 1.0e6))));
    if (size != font_.pixelSize()) {
        font_.setPixelSize(size);
        fontSet_ = false;
    }
}

void PainterSurface::SetTextPosition(double x, double y)
{
    textX_ = x;
    textY_ = y;
}

void PainterSurface::Print(const std::string &text)
{
    if (!IsActive() || text.empty())
        return;
    QPointF corner = Map(textX_, textY_);
    if (!Reach().contains(corner))
        return;
    FlushPolyline();
    if (!fontSet_) {
        painter_.setFont(font_);
        ascent_ = QFontMetricsF(font_, painter_.device()).ascent();
        fontSet_ = true;
    }
    UsePen(foreColor_, true);
    // Texts are single bytes, as the settings and the record files keep them.
    const QString latin1 = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    // A printer lays text out at its own resolution.
    if (painter_.device()->devType() == QInternal::Image) {
        const QStaticText &laidOut = LaidOut(latin1, font_);
        painter_.drawStaticText(corner, laidOut);
        Drew(QRectF(corner, laidOut.size()));
    } else {
        painter_.drawText(QPointF(corner.x(), corner.y() + ascent_), latin1);
        Drew(QRectF(corner.x(), corner.y(), deviceWidth_, 2.0 * font_.pixelSize()));
    }
}

double PictureSurface::PixelsPerPoint(QSize imageSize, LogicalScale scale)
{
    const double designHeight = kDesignSize.height() * scale.height / kScale.height;
    double stretch = std::min(static_cast<double>(imageSize.width()) / kDesignSize.width(),
                              static_cast<double>(imageSize.height()) / designHeight);
    return 96.0 / 72.0 * stretch;
}

PictureSurface::PictureSurface(QImage &image, LogicalScale scale)
    : PainterSurface(image, scale, Pens{PixelsPerPoint(image.deviceIndependentSize().toSize(), scale), 6.0, 0.0})
{
}

}  // namespace tavrin
