// The waterfall window of the main frame: opened and closed from the View menu (it keeps rows
// only while it is open), fed with every trace the control panel shows, saved as a PNG file from
// the File menu, and kept open or closed between runs (the frame's layout keeps its place). The
// pointer over it reads a row's time, frequency and level, and a click puts the active marker on
// the display at that frequency.
#pragma once

#include "session/trace_bus.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <functional>
#include <string>

class QAction;
class QMdiSubWindow;

namespace tavrin {

class ControlPanel;
class WaterfallView;
class MainFrame;
class UserDialogs;

class WaterfallWindow : public QObject {
    Q_OBJECT
public:
    // folder: where "Save waterfall as..." proposes the file.
    WaterfallWindow(MainFrame &frame, ControlPanel &panel, UserDialogs &dialogs, std::function<std::string()> folder);

    // Opens the window when it was open at the end of the last run, where it stood then; after the
    // panel has read its settings.
    void Restore();
    // Opens it empty, or brings the open one to the front.
    void Open();
    void Close();
    WaterfallView *Window() const;
    QMdiSubWindow *SubWindow() const;

signals:
    // The read-out under the pointer changed; empty: the pointer is not over a row.
    void pointerReadout(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Into the panel's record of the second settings file.
    void Keep();
    void WirePointer(WaterfallView &window);

    MainFrame &frame_;
    ControlPanel &panel_;
    UserDialogs &dialogs_;
    std::function<std::string()> folder_;
    QPointer<QAction> toggle_;
    QPointer<QAction> save_;
    QPointer<QMdiSubWindow> sub_;
    QRect normal_;  // the last place while neither maximised nor minimised
    TraceBus::Connection feed_;  // the traces, while the window is open
};

}  // namespace tavrin
