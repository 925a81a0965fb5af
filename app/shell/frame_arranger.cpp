#include "shell/frame_arranger.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QWindowStateChangeEvent>

namespace tavrin {

namespace {

constexpr FrameWindow kWindows[] = {FrameWindow::Display, FrameWindow::Panel, FrameWindow::Waterfall};

size_t Slot(FrameWindow window) { return static_cast<size_t>(window); }

Size ToSize(QSize s) { return {s.width(), s.height()}; }

// A window the user maximised or minimised keeps that state; its place is not the layout's.
bool Normal(const QMdiSubWindow &sub) { return !sub.isMaximized() && !sub.isMinimized(); }

// Maximised, minimised or back; not merely activated.
bool SizeStateChanged(const QObject &watched, const QEvent &event)
{
    constexpr Qt::WindowStates kSized = Qt::WindowMaximized | Qt::WindowMinimized;
    const auto *widget = qobject_cast<const QWidget *>(&watched);
    const auto &change = static_cast<const QWindowStateChangeEvent &>(event);
    return widget && (change.oldState() & kSized) != (widget->windowState() & kSized);
}

}  // namespace

FrameArranger::FrameArranger(QMdiArea &area) : QObject(&area), area_(area)
{
    area_.installEventFilter(this);
}

QMdiSubWindow *FrameArranger::Sub(FrameWindow window) const
{
    return qobject_cast<QMdiSubWindow *>(windows_[Slot(window)].data());
}

void FrameArranger::SetWindow(FrameWindow window, QMdiSubWindow *sub)
{
    QPointer<QWidget> &slot = windows_[Slot(window)];
    if (slot)
        slot->removeEventFilter(this);
    slot = sub;
    if (sub) {
        sub->installEventFilter(this);
        // Closed for good (the waterfall): the others take its room.
        connect(sub, &QObject::destroyed, this, [this] { Arrange(); });
    }
    Arrange();
}

void FrameArranger::SetLayout(const FrameLayout &layout)
{
    layout_ = layout;
    Arrange();
}

void FrameArranger::RestoreDefault()
{
    // Also a window maximised, minimised or closed (the display hides when closed) comes back.
    for (FrameWindow window : kWindows)
        if (QMdiSubWindow *sub = Sub(window))
            sub->showNormal();
    SetLayout({});
}

FrameSizes FrameArranger::Sizes() const
{
    FrameSizes s;
    s.client = ToSize(area_.maximumViewportSize());
    if (const QMdiSubWindow *panel = Sub(FrameWindow::Panel)) {
        s.panelHint = ToSize(panel->sizeHint());
        s.panelMinimum = ToSize(panel->minimumSizeHint());
    }
    s.scrollBarWidth = area_.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &area_);
    s.waterfallOpen = Sub(FrameWindow::Waterfall) != nullptr;
    return s;
}

QPoint FrameArranger::Scrolled() const
{
    return {area_.horizontalScrollBar()->value(), area_.verticalScrollBar()->value()};
}

Rect FrameArranger::Current(const QMdiSubWindow &sub) const
{
    const QRect g = sub.geometry().translated(Scrolled());
    return {g.x(), g.y(), g.width(), g.height()};
}

void FrameArranger::Place(QMdiSubWindow *sub, const Rect &r)
{
    if (!sub || !Normal(*sub))
        return;
    const QRect wanted = QRect(r.x, r.y, r.width, r.height).translated(-Scrolled());
    if (sub->geometry() != wanted)
        sub->setGeometry(wanted);
}

void FrameArranger::ArrangeExcept(std::optional<FrameWindow> kept)
{
    const QScopedValueRollback guard(placing_, true);
    const Arrangement a = tavrin::Arrange(Sizes(), layout_);
    const Rect *places[] = {&a.display, &a.panel, &a.waterfall};
    for (FrameWindow window : kWindows)
        if (window != kept)
            Place(Sub(window), *places[Slot(window)]);
}

void FrameArranger::UserChanged(FrameWindow window, const QMdiSubWindow &sub)
{
    const FrameLayout before = layout_;
    layout_ = AfterUserChange(layout_, Sizes(), window, Current(sub));
    // A moved split moves the other window of the column; the one in the user's hand stays.
    if (layout_.waterfallShare != before.waterfallShare)
        ArrangeExcept(window);
}

bool FrameArranger::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == &area_) {
        if (type == QEvent::Resize)
            Arrange();
        return QObject::eventFilter(watched, event);
    }
    if (type == QEvent::WindowStateChange && !stateChanging_ && SizeStateChanged(*watched, *event)) {
        // Maximised, minimised or back, a window is moved by the area in the same turn: the
        // frame's doing. Then each window goes where the layout puts it (the frame may have
        // changed meanwhile).
        stateChanging_ = true;
        QTimer::singleShot(0, this, [this] {
            stateChanging_ = false;
            Arrange();
        });
    }
    if ((type != QEvent::Move && type != QEvent::Resize) || placing_ || stateChanging_)
        return QObject::eventFilter(watched, event);
    for (FrameWindow window : kWindows) {
        const QMdiSubWindow *sub = Sub(window);
        // A window being shown gets the moves made while it was hidden: the frame's own.
        if (sub && sub == watched && sub->isVisible() && Normal(*sub))
            UserChanged(window, *sub);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tavrin
