// The display window under the pointer: moves, clicks and dragged bands in screen units, the
// wheel, the keys and the screen's menu, each told as a signal for the panel to act on.
#include "display/display_window.h"

#include "display/pointer_keys.h"
#include "measure/screen_conversions.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cstdlib>

namespace tavrin {

void DisplayWindow::MakeScreenMenu()
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::CrossCursor);
    setAccessibleName("Display");
    setAccessibleDescription("The analyzer's screen. A click puts the active marker on the trace, a drag across a band "
                             "zooms in, the wheel tunes and Ctrl+wheel zooms; Left and Right move the marker, plus and "
                             "minus the span, Page Up and Page Down the reference level, P is Peak; the menu key or a "
                             "right-click opens the screen menu.");
    menu_ = new QMenu(this);
    menu_->setObjectName("mnuScreen");
    menu_->setAccessibleName("Screen menu");
    auto add = [this](const char *name, const char *text, auto handler) {
        QAction *action = menu_->addAction(text);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    add("mnuScreenPeak", "&Peak", [this] { emit commandWanted(PointerCommand::Peak); })->setShortcut(Qt::Key_P);
    add("mnuScreenCentre", "&Centre on marker", [this] { emit commandWanted(PointerCommand::CenterOnMarker); });
    add("mnuScreenZoomOut", "&Zoom out", [this] { emit commandWanted(PointerCommand::ZoomOut); })
        ->setShortcut(Qt::Key_Minus);
    menu_->addSeparator();
    add("mnuScreenCopy", "Copy trace as &CSV", [this] { emit copyTraceWanted(); });
    add("mnuScreenSave", "&Save screen", [this] { emit saveScreenWanted(); });
    // The keys are the window's own: the menu only shows them.
    for (QAction *action : menu_->actions())
        action->setShortcutContext(Qt::WidgetShortcut);
}

std::optional<std::pair<double, double>> DisplayWindow::Band() const
{
    if (!Dragging())
        return std::nullopt;
    return std::pair{ToScreen(*pressedAt_).x(), ToScreen(draggedTo_).x()};
}

bool DisplayWindow::Dragging() const
{
    return pressedAt_ && std::abs(draggedTo_.x() - pressedAt_->x()) >= QApplication::startDragDistance() &&
           (!bandZoom_ || bandZoom_());
}

void DisplayWindow::PaintBand(QPainter &p) const
{
    const std::optional<std::pair<double, double>> band = Band();
    if (!band)
        return;
    // Over the graticule's height, where the trace is.
    const QPointF a = ToDevice(band->first, kTopLevelValue), b = ToDevice(band->second, 0);
    const QRectF r = QRectF(a, b).normalized();
    p.fillRect(r, QColor(255, 255, 255, 48));
    p.setPen(QColor(255, 255, 255, 160));
    p.drawLine(QLineF(r.topLeft(), r.bottomLeft()));
    p.drawLine(QLineF(r.topRight(), r.bottomRight()));
}

void DisplayWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    pressedAt_ = draggedTo_ = event->position();
}

void DisplayWindow::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF s = ToScreen(event->position());
    pointer_ = s;
    emit pointerMoved(s.x(), s.y());
    if (!pressedAt_)
        return;
    const bool before = Dragging();
    draggedTo_ = event->position();
    if (before || Dragging())
        update();
}

void DisplayWindow::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !pressedAt_)
        return QWidget::mouseReleaseEvent(event);
    draggedTo_ = event->position();
    const std::optional<std::pair<double, double>> band = Band();
    const QPointF pressed = ToScreen(*pressedAt_);
    const bool moved = std::abs(draggedTo_.x() - pressedAt_->x()) >= QApplication::startDragDistance();
    pressedAt_.reset();
    if (band) {
        update();
        emit bandDragged(band->first, band->second);
    } else if (!moved) {
        emit pointClicked(pressed.x(), pressed.y());
    }
}

void DisplayWindow::leaveEvent(QEvent *event)
{
    pointer_.reset();
    emit pointerLeft();
    QWidget::leaveEvent(event);
}

void DisplayWindow::wheelEvent(QWheelEvent *event)
{
    const int notches = WheelNotches(wheel_, event->angleDelta().y());
    const std::optional<PointerCommand> command = WheelCommand(notches, event->modifiers() & Qt::ControlModifier);
    for (int i = 0; command && i < std::abs(notches); ++i)
        emit commandWanted(*command);
    event->accept();
}

void DisplayWindow::keyPressEvent(QKeyEvent *event)
{
    const std::optional<PointerCommand> command = CommandForKey(event->key(), event->modifiers());
    if (!command)
        return QWidget::keyPressEvent(event);
    emit commandWanted(*command);
}

void DisplayWindow::contextMenuEvent(QContextMenuEvent *event)
{
    // Shown without waiting for the choice: the window's events go on meanwhile.
    menu_->popup(event->globalPos());
}

}  // namespace tavrin
