#include "display/picture_surface.h"

#include "common/color_qt.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPen>
#include <QRectF>
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

}  // namespace

PainterSurface::PainterSurface(QPaintDevice &device, LogicalScale scale, Pens pens)
    : scale_(scale), pens_(pens), deviceWidth_(device.width() / device.devicePixelRatioF()),
      deviceHeight_(device.height() / device.devicePixelRatioF()), pixelRatio_(device.devicePixelRatioF()),
      font_(TextFont())
{
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

QPen PainterSurface::MakePen(uint32_t color) const
{
    return QPen(ToQColor(color), pens_.lineWidth, style_ == DrawStyle::Dotted ? Qt::DotLine : Qt::SolidLine,
                Qt::FlatCap, Qt::MiterJoin);
}

void PainterSurface::Clear(uint32_t color)
{
    if (!IsActive())
        return;
    painter_.save();
    painter_.setCompositionMode(QPainter::CompositionMode_Source);
    painter_.fillRect(QRectF(0, 0, deviceWidth_, deviceHeight_), ToQColor(color));
    painter_.restore();
}

void PainterSurface::DrawImage(const QImage &image, double left, double top, double width, double height)
{
    if (!IsActive() || image.isNull())
        return;
    QPointF a = Map(left, top), b = Map(left + width, top - height);
    QRectF target = QRectF(a, b).normalized();
    // Cutting the rectangle would squeeze the picture; one reaching that far is not drawn.
    if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) || !std::isfinite(b.y()) ||
        !Reach().contains(target))
        return;
    painter_.drawImage(target, image);
}

bool PainterSurface::End() { return IsActive() && painter_.end(); }

void PainterSurface::Line(double x1, double y1, double x2, double y2, uint32_t color)
{
    currentX_ = x2;
    currentY_ = y2;
    if (!IsActive())
        return;
    QPointF a = Map(x1, y1), b = Map(x2, y2);
    if (!ClipSegment(a, b, Reach()))
        return;
    UseLinePen(color);
    painter_.drawLine(a, b);
}

void PainterSurface::UseLinePen(uint32_t color)
{
    // A new pen costs more than a short line: the lines in a row share one.
    if (linePen_ != std::pair(color, style_)) {
        painter_.setPen(MakePen(color));
        linePen_ = std::pair(color, style_);
    }
}

void PainterSurface::LineTo(double x, double y, uint32_t color) { Line(currentX_, currentY_, x, y, color); }

void PainterSurface::Rectangle(double x1, double y1, double x2, double y2, uint32_t color)
{
    QRectF rect;
    if (!IsActive() || !MapRect(x1, y1, x2, y2, rect))
        return;
    linePen_.reset();
    painter_.setPen(MakePen(color));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(rect);
}

void PainterSurface::FilledRectangle(double x1, double y1, double x2, double y2, uint32_t color)
{
    QRectF rect;
    if (!IsActive() || !MapRect(x1, y1, x2, y2, rect))
        return;
    painter_.fillRect(rect, ToQColor(color));
}

void PainterSurface::SetDrawStyle(DrawStyle style) { style_ = style; }

void PainterSurface::SetForeColor(uint32_t color) { foreColor_ = color; }

void PainterSurface::SetFontSize(double points)
{
    double pixels = points * pens_.pixelsPerPoint;
    if (!(pixels >= pens_.minFontPixels))  // also a NaN size
        pixels = pens_.minFontPixels;
    font_.setPixelSize(std::max(1, static_cast<int>(std::lround(std::min(pixels, 1.0e6)))));
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
    painter_.setFont(font_);
    linePen_.reset();
    painter_.setPen(QPen(ToQColor(foreColor_)));
    QPointF corner = Map(textX_, textY_);
    if (!Reach().contains(corner))
        return;
    QFontMetricsF metrics(font_, painter_.device());
    // Texts are single bytes, as the settings and the record files keep them.
    painter_.drawText(QPointF(corner.x(), corner.y() + metrics.ascent()),
                      QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

double PictureSurface::PixelsPerPoint(QSize imageSize)
{
    double stretch = std::min(static_cast<double>(imageSize.width()) / kDesignSize.width(),
                              static_cast<double>(imageSize.height()) / kDesignSize.height());
    return 96.0 / 72.0 * stretch;
}

PictureSurface::PictureSurface(QImage &image)
    : PainterSurface(image, kScale, Pens{PixelsPerPoint(image.deviceIndependentSize().toSize()), 6.0, 1.0})
{
}

}  // namespace tavrin
