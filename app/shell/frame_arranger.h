// The main frame's windows kept where the layout says: those the user has not placed follow the
// frame's size, those the user moved or resized stay where they were put. The frame's own
// placing is never taken for the user's.
#pragma once

#include "layout/frame_layout.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <array>
#include <optional>

class QMdiArea;
class QMdiSubWindow;

namespace tavrin {

class FrameArranger : public QObject {
    Q_OBJECT
public:
    explicit FrameArranger(QMdiArea &area);

    // The sub-window that stands for a window of the layout, watched from now on (until it is
    // destroyed); null for a closed one. The windows are arranged anew.
    void SetWindow(FrameWindow window, QMdiSubWindow *sub);
    // The layout kept from the last run; the windows are arranged by it.
    void SetLayout(const FrameLayout &layout);
    const FrameLayout &Layout() const { return layout_; }
    // Every window shown, neither maximised nor minimised, in its default place, the split too.
    void RestoreDefault();
    // Every window where the layout puts it now (a maximised or minimised one stays as it is).
    void Arrange() { ArrangeExcept(std::nullopt); }
    FrameSizes Sizes() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ArrangeExcept(std::optional<FrameWindow> kept);
    void Place(QMdiSubWindow *sub, const Rect &r);
    // The sub-window's place in the frame, however far the frame is scrolled.
    Rect Current(const QMdiSubWindow &sub) const;
    QPoint Scrolled() const;
    void UserChanged(FrameWindow window, const QMdiSubWindow &sub);
    // The window's sub-window; null while there is none, or while it is being destroyed.
    QMdiSubWindow *Sub(FrameWindow window) const;

    QMdiArea &area_;
    // Kept as widgets: a sub-window being destroyed is one no more, yet still reports events.
    std::array<QPointer<QWidget>, 3> windows_;
    FrameLayout layout_;
    bool placing_ = false;        // the frame's own moves: not the user's
    bool stateChanging_ = false;  // nor the area's, for a window maximised, minimised or back
};

}  // namespace tavrin
