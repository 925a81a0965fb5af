// The display window: one drawing surface in screen units over the whole client area, kept as a
// picture, and the five movable marker labels. The pointer, the wheel, the keys and the screen's
// menu are told as signals in screen units; the panel decides what they change.
#pragma once

#include "display/picture_surface.h"
#include "display/pointer_commands.h"
#include "markers/markers.h"

#include <QImage>
#include <QLabel>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

class QMenu;

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

    // Whether a band dragged across the screen zooms (not at zero span); without it, always.
    void SetBandZoom(std::function<bool()> allowed) { bandZoom_ = std::move(allowed); }
    // Where the pointer stands over the window, in screen units; none while it is elsewhere.
    std::optional<QPointF> Pointer() const { return pointer_; }
    // The band being dragged, from its start to the pointer, in screen x; none without one.
    std::optional<std::pair<double, double>> Band() const;
    QMenu *ScreenMenu() const { return menu_; }

signals:
    // The pointer moved over the window to (x, y), or left it.
    void pointerMoved(double x, double y);
    void pointerLeft();
    // Pressed and released without dragging.
    void pointClicked(double x, double y);
    // A band dragged across the screen between these x, either way round.
    void bandDragged(double x1, double x2);
    // A key, the wheel or the screen menu's Peak, Centre on marker or Zoom out.
    void commandWanted(tavrin::PointerCommand command);
    void copyTraceWanted();
    void saveScreenWanted();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void MakeScreenMenu();
    void PaintBand(QPainter &p) const;
    bool Dragging() const;
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
    std::function<bool()> bandZoom_;
    std::optional<QPointF> pointer_;  // screen units
    std::optional<QPointF> pressedAt_;  // window pixels, while the left button is down
    QPointF draggedTo_;                 // window pixels
    int wheel_ = 0;                     // eighths of a degree short of a notch
    QMenu *menu_ = nullptr;
};

}  // namespace tavrin
