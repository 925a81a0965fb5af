// The display window: one drawing surface in screen units over the whole client area, kept as a
// picture, and the five movable marker labels.
#pragma once

#include "display/picture_surface.h"
#include "markers/markers.h"

#include <QImage>
#include <QLabel>
#include <QWidget>
#include <array>
#include <functional>

namespace tavrin {

class DrawingSurface;

class DisplayWindow : public QWidget, public MarkerLabels {
    Q_OBJECT
public:
    // The label's design size: 200 x 300 twips.
    static constexpr int kLabelWidthPx = 13;
    static constexpr int kLabelHeightPx = 20;

    explicit DisplayWindow(QWidget *parent = nullptr);

    // Draws the picture: DrawGrid then DrawTrace, supplied by the control panel.
    void SetDrawer(std::function<void(DrawingSurface &)> drawer) { drawer_ = std::move(drawer); }
    // A label dropped at screen x (already clamped to the graticule): the panel sets the marker.
    void SetDropHandler(std::function<void(int index, double x)> handler) { dropHandler_ = std::move(handler); }

    void SetBaseColor(uint32_t color) { base_ = color; }
    // The screen's lower edge in screen units (-430, or lower for the measurement table); the
    // labels keep their places on the screen and the picture is drawn again.
    void SetBottom(double bottom);
    double Bottom() const { return scale_.top + scale_.height; }
    // Clear to the base colour, then draw. Nothing is drawn while the window is minimised.
    void Redraw();
    // Only DrawGrid and DrawTrace over the picture as it is.
    void DrawOver();
    bool Minimized() const;
    const QImage &Picture() const { return picture_; }
    int RedrawCount() const { return redraws_; }

    // The label pictures: number and triangle in the marker colour on the given background.
    void MakeLabels(uint32_t background, uint32_t marker);
    // Label index's picture in those colours at a device pixel ratio, for this window or a page.
    static QPixmap LabelPixmap(int index, uint32_t background, uint32_t marker, qreal ratio);
    QLabel *Label(int index) const { return labels_[static_cast<size_t>(index)]; }

    // Screen units <-> client pixels.
    QPointF ToDevice(double x, double y) const;
    QPointF ToScreen(QPointF device) const;

    // MarkerLabels
    void Show(int index, bool visible) override;
    bool Visible(int index) const override;
    void Move(int index, double left, double top) override;
    double HalfWidth() const override { return labelHalfWidth_; }
    double Height() const override { return labelHeight_; }

    // The drag of a label, split so that tests can run it without a mouse.
    void GrabLabel(int index, QPointF posInLabel);
    void DropLabel(int index, double x, double y);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void PlaceLabelWidget(int index);
    void FitLabels();
    void Draw(bool clear);

    LogicalScale scale_ = PictureSurface::kScale;
    QImage picture_;
    uint32_t base_ = 0;
    std::function<void(DrawingSurface &)> drawer_;
    std::function<void(int, double)> dropHandler_;
    std::array<QLabel *, kMarkerCount> labels_{};
    std::array<QPointF, kMarkerCount> labelPos_{};  // left, top in screen units
    double labelHalfWidth_ = 0;
    double labelHeight_ = 0;
    float dragOffsetX_ = 0;
    float dragOffsetY_ = 0;
    int redraws_ = 0;
};

}  // namespace tavrin
