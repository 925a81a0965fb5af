#include "shell/waterfall_window.h"

#include "panel/control_panel.h"
#include "session/session.h"
#include "shell/main_frame.h"
#include "waterfall/waterfall_view.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>

namespace tavrin {

namespace {

QAction *Named(const QList<QAction *> &actions, const char *name)
{
    for (QAction *action : actions)
        if (action->objectName() == name)
            return action;
    return nullptr;
}

}  // namespace

WaterfallWindow::WaterfallWindow(MainFrame &frame, ControlPanel &panel, UserDialogs &dialogs,
                                 std::function<std::string()> folder)
    : QObject(&frame), frame_(frame), panel_(panel), dialogs_(dialogs), folder_(std::move(folder))
{
    QMenu *view = new QMenu("&View", frame.menuBar());
    frame.menuBar()->insertMenu(Named(frame.menuBar()->actions(), "mnuSettingMenu"), view);
    toggle_ = view->addAction("&Waterfall");
    toggle_->setObjectName("mnuWaterfall");
    toggle_->setCheckable(true);
    connect(toggle_, &QAction::triggered, this, [this](bool open) { open ? Open() : Close(); });

    QMenu *file = frame.FileMenu();
    save_ = new QAction("Save &waterfall as...", file);
    save_->setObjectName("mnuSaveWaterfall");
    save_->setEnabled(false);
    file->insertAction(Named(file->actions(), "mnuQuit"), save_);
    connect(save_, &QAction::triggered, this, [this] {
        if (WaterfallView *window = Window())
            window->SaveAs(dialogs_, folder_());
    });
    connect(&panel, &ControlPanel::settingsSaving, this, &WaterfallWindow::Keep);
}

WaterfallView *WaterfallWindow::Window() const
{
    return sub_ ? qobject_cast<WaterfallView *>(sub_->widget()) : nullptr;
}

QMdiSubWindow *WaterfallWindow::SubWindow() const { return sub_; }

QRect WaterfallWindow::FirstPlace() const
{
    // Under the display window, as wide: each column under the same place of its graticule.
    const int room = frame_.Area().height() - MainFrame::kDisplayHeight;
    const int height = std::clamp(room, 200, 400);
    return {0, room >= 200 ? MainFrame::kDisplayHeight : std::max(0, frame_.Area().height() - height),
            MainFrame::kDisplayWidth, height};
}

void WaterfallWindow::Restore()
{
    const WaterfallWindowSettings &saved = panel_.ProgramSettingsRecord().waterfall;
    if (saved.width > 0)
        normal_ = QRect(saved.x, saved.y, saved.width, saved.height);
    if (!saved.open)
        return;
    Open();
    if (saved.maximized)
        sub_->showMaximized();
}

void WaterfallWindow::Open()
{
    if (!sub_) {
        auto *window = new WaterfallView;
        sub_ = frame_.Area().addSubWindow(window);
        sub_->setAttribute(Qt::WA_DeleteOnClose);
        sub_->setWindowTitle("Waterfall");
        // A place kept from a larger screen may lie outside the frame: then the first place.
        const QRect area = frame_.Area().rect();
        const bool reachable = normal_.isValid() && (area.isEmpty() || area.intersects(normal_));
        sub_->setGeometry(reachable ? normal_ : FirstPlace());
        normal_ = sub_->geometry();
        sub_->installEventFilter(this);
        feed_ = panel_.TheSession().Bus().Connect([window](const TracePtr &trace) { window->Add(*trace); });
        connect(sub_, &QObject::destroyed, this, [this] {
            feed_.Disconnect();
            if (toggle_)
                toggle_->setChecked(false);
            if (save_)
                save_->setEnabled(false);
        });
    }
    sub_->show();
    sub_->raise();
    frame_.Area().setActiveSubWindow(sub_);
    toggle_->setChecked(true);
    save_->setEnabled(true);
}

void WaterfallWindow::Close()
{
    if (sub_)
        sub_->close();
}

bool WaterfallWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Only the sub-window is watched; it also reports events while it is being destroyed, when it
    // is a sub-window no more.
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
        if (auto *sub = qobject_cast<QMdiSubWindow *>(watched); sub && !sub->isMaximized() && !sub->isMinimized())
            normal_ = sub->geometry();
    return QObject::eventFilter(watched, event);
}

void WaterfallWindow::Keep()
{
    WaterfallWindowSettings &kept = panel_.ProgramSettingsRecord().waterfall;
    kept.open = sub_ && sub_->isVisible();
    kept.maximized = kept.open && sub_->isMaximized();
    if (normal_.isValid())
        kept.x = normal_.x(), kept.y = normal_.y(), kept.width = normal_.width(), kept.height = normal_.height();
}

}  // namespace tavrin
