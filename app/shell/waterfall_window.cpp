#include "shell/waterfall_window.h"

#include "panel/control_panel.h"
#include "session/session.h"
#include "shell/frame_arranger.h"
#include "shell/main_frame.h"
#include "waterfall/waterfall_pointer.h"
#include "waterfall/waterfall_view.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

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
    // First in the View menu, above the arrangement.
    QMenu *view = frame.ViewMenu();
    toggle_ = new QAction("&Waterfall", view);
    view->insertAction(view->actions().value(0), toggle_);
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

void WaterfallWindow::Restore()
{
    const WaterfallWindowSettings &saved = panel_.ProgramSettingsRecord().waterfall;
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
        // Under the display, in its column, or where the user put it last.
        frame_.Arranger().SetWindow(FrameWindow::Waterfall, sub_);
        normal_ = sub_->geometry();
        sub_->installEventFilter(this);
        feed_ = panel_.TheSession().Bus().Connect([window](const TracePtr &trace) { window->Add(*trace); });
        WirePointer(*window);
        connect(sub_, &QObject::destroyed, this, [this] {
            feed_.Disconnect();
            emit pointerReadout({});
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

void WaterfallWindow::WirePointer(WaterfallView &window)
{
    Session &s = panel_.TheSession();
    connect(&window, &WaterfallView::pointerMoved, this, [this, &window](double x, double y) {
        const std::optional<WaterfallSpot> spot = WaterfallAt(window.Rows(), window.Geometry(), x, y);
        emit pointerReadout(spot ? QString::fromStdString(WaterfallReadoutText(*spot)) : QString());
    });
    connect(&window, &WaterfallView::pointerLeft, this, [this] { emit pointerReadout({}); });
    connect(&window, &WaterfallView::pointClicked, this, [this, &s, &window](double x, double y) {
        const std::optional<WaterfallSpot> spot = WaterfallAt(window.Rows(), window.Geometry(), x, y);
        if (!spot)
            return;
        if (const std::optional<MarkerChange> change =
                MarkerFromWaterfall(window.Rows(), *spot, s.Settings().State(), s.Markers().Active()))
            panel_.ApplyMarkerChange(*change);
    });
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
