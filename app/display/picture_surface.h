// Drawing surfaces painted with Qt: the display window's kept picture here, the printer page in
// output/. Both map screen units onto their paint device the same way.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QSize>

#include "display/drawing_surface.h"
#include "display/logical_scale.h"

#include <optional>

namespace tavrin {

// Lines, rectangles and text in device pixels at the mapped positions, so that pens and fonts keep
// their shape however unevenly the picture is stretched. When the painter cannot start on the
// device (an empty image, a printer that fails) every operation does nothing.
class PainterSurface : public DrawingSurface {
public:
    struct Pens {
        double pixelsPerPoint = 1;  // font size in pixels for one point
        double minFontPixels = 1;   // the smallest font still drawn, in pixels
        double lineWidth = 1;       // pixels; 0 is the one-pixel pen the raster engine draws fastest
    };

    PainterSurface(QPaintDevice &device, LogicalScale scale, Pens pens);
    ~PainterSurface() override;
    PainterSurface(const PainterSurface &) = delete;
    PainterSurface &operator=(const PainterSurface &) = delete;

    bool IsActive() const { return painter_.isActive(); }
    // Device position of a point in screen units.
    QPointF Map(double x, double y) const;
    int FontPixelSize() const { return font_.pixelSize(); }

    // The whole device in one colour. Until something is drawn over them, fills of parts of the
    // device in that colour are left out: they would change nothing.
    void Clear(uint32_t color);
    // A picture with its upper left corner at (left, top), width and height in screen units (the
    // height counted downwards), as the report places its logo and the marker labels.
    void DrawImage(const QImage &image, double left, double top, double width, double height);
    // Finishes the painting (for a printer: the job). False when it never started or failed.
    bool End();

    void Line(double x1, double y1, double x2, double y2, uint32_t color) override;
    double PixelsPerUnit() const override;
    void LineTo(double x, double y, uint32_t color) override;
    void Rectangle(double x1, double y1, double x2, double y2, uint32_t color) override;
    void FilledRectangle(double x1, double y1, double x2, double y2, uint32_t color) override;
    void SetDrawStyle(DrawStyle style) override;
    void SetForeColor(uint32_t color) override;
    void SetFontSize(double points) override;
    void SetTextPosition(double x, double y) override;
    void Print(const std::string &text) override;

private:
    // The device with a margin of its own size all round: what lies further out is cut off
    // before it reaches the painter, whose fixed-point raster would overflow on it.
    QRectF Reach() const;
    bool MapRect(double x1, double y1, double x2, double y2, QRectF &rect) const;
    // The painter's pen for lines of this colour, or for text; set only when it changes.
    void UsePen(uint32_t color, bool text);
    // Lines that follow each other in one colour go to the painter as one polyline, much faster
    // than segment by segment; anything else drawn first sends them.
    void FlushPolyline();

    static constexpr int kTracePolylinePoints = 512;  // a trace's 500 points and its start
    QPainter painter_;
    QPolygonF polyline_;
    uint32_t polylineColor_ = 0;
    struct PenKey {
        uint32_t color = 0;
        DrawStyle style = DrawStyle::Solid;
        bool text = false;
        bool operator==(const PenKey &) const = default;
    };
    std::optional<PenKey> pen_;
    // Since Clear: the colour cleared to, and the device rectangle drawn over since.
    void Drew(const QRectF &deviceRect);
    std::optional<uint32_t> clearedTo_;
    QRectF drawn_;
    bool fontSet_ = false;
    double ascent_ = 0;
    LogicalScale scale_;
    Pens pens_;
    double deviceWidth_ = 0;
    double deviceHeight_ = 0;
    double pixelRatio_ = 1;
    DrawStyle style_ = DrawStyle::Solid;
    uint32_t foreColor_ = 0;
    QFont font_;
    double currentX_ = 0, currentY_ = 0;
    double textX_ = 0, textY_ = 0;
};

// The display window's picture: x -50..520 and y 1100 (top) .. -430 (bottom) over the whole image,
// or down to a lower bottom edge when the measurement table needs the room.
class PictureSurface : public PainterSurface {
public:
    // Paints on image until destroyed; the image must outlive the surface.
    explicit PictureSurface(QImage &image, LogicalScale scale = kScale);

    bool IsPrinter() const override { return false; }

    static constexpr LogicalScale kScale{-50, 1100, 570, -1530};
    // The window's first size, at which a point is a screen point (96 pixels per inch).
    static constexpr QSize kDesignSize{541, 554};
    // kScale with its bottom edge at bottom.
    static constexpr LogicalScale ScaleTo(double bottom) { return {kScale.left, kScale.top, kScale.width, bottom - kScale.top}; }
    // Text grows and shrinks with the window: by the smaller of the two stretches, so that the
    // texts of the annotation columns keep clear of each other in a narrow or a low window. A
    // scale that reaches lower shrinks the text with the rest of the picture.
    static double PixelsPerPoint(QSize imageSize, LogicalScale scale = kScale);
};

}  // namespace tavrin
