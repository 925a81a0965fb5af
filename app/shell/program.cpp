#include "shell/program.h"

#include "common/text_number.h"
#include "limits/limit_group.h"
#include "panel/control_panel.h"
#include "record/record_group.h"
#include "session/session.h"
#include "setting_dialog/settings_dialog.h"
#include "shell/link_status_bar.h"
#include "shell/remote_control.h"
#include "shell/waterfall_window.h"

#include <QAction>
#include <QMdiArea>
#include <QMenu>
#include <QMdiSubWindow>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

namespace tavrin {

Program::Program(UserDialogs &dialogs, std::function<bool(int)> portInUse, std::function<void()> quit)
    : frame_(dialogs)
{
    // A request may be on a silent line for seconds: leaving, nothing more is asked of it.
    auto leave = [this, quit = std::move(quit)] {
        instrument_.Abandon();
        if (quit)
            quit();
    };
    auto portCheck = portInUse;
    panel_ = new ControlPanel({session_, dialogs, settings_, frame_.Display(), OperationFilePath(), std::move(portInUse),
                          std::move(leave)});
    frame_.SetSettingFactory([this, &dialogs, portCheck] {
        return new SettingsDialog({settings_, dialogs, session_, frame_.Display(), portCheck});
    });

    // The record (or the live trace) as a CSV file, and the limit lines' files, before Quit.
    QMenu *file = frame_.FileMenu();
    QAction *quitEntry = nullptr;
    for (QAction *action : file->actions())
        if (action->objectName() == "mnuQuit")
            quitEntry = action;
    const std::pair<const char *, const char *> entries[] = {{"mnuExportCsv", "Export &CSV..."},
                                                             {"mnuNewLimit", "&New limit line from trace..."},
                                                             {"mnuImportLimit", "&Import limit line from CSV..."},
                                                             {"mnuExportLimit", "Export &limit line as CSV..."}};
    const std::function<void()> work[] = {[this] { panel_->Record().ExportCsv(); },
                                          [this] { panel_->Limits().NewFromTrace(); },
                                          [this] { panel_->Limits().ImportCsv(); },
                                          [this] { panel_->Limits().ExportCsv(); }};
    for (size_t i = 0; i < std::size(entries); ++i) {
        auto *entry = new QAction(entries[i].second, file);
        entry->setObjectName(entries[i].first);
        file->insertAction(quitEntry, entry);
        QObject::connect(entry, &QAction::triggered, panel_, work[i]);
    }

    waterfall_ = new WaterfallWindow(frame_, *panel_, dialogs, [this] { return TrimSpaces(settings_.CaptureDir); });

    frame_.statusBar()->setAccessibleName("Status bar");
    auto *status = new LinkStatusBar([this] { return session_.Status(); });
    frame_.statusBar()->addWidget(status, 1);
    QObject::connect(&session_, &Session::changed, status, [status](SessionPart part) {
        if (part == SessionPart::Line)
            status->Refresh();
    });

    remote_ = std::make_unique<RemoteControl>(session_, dialogs);
    remote_->AddMenuEntry(*frame_.SettingMenu());
    frame_.statusBar()->addPermanentWidget(remote_->StatusLabel());
    QObject::connect(panel_, &ControlPanel::settingsSaving, remote_.get(),
                     [this] { panel_->ProgramSettingsRecord().remote = remote_->Settings(); });
}

Program::~Program() = default;

void Program::Start()
{
    panel_->FormLoad();
    frame_.AddPanel(panel_);
    // Without a window manager nothing maximises: the frame then takes the screen's free area.
    if (const QScreen *screen = frame_.screen())
        frame_.resize(screen->availableGeometry().size());
    frame_.showMaximized();
    frame_.DisplaySubWindow()->show();
    frame_.PanelWindow()->show();
    waterfall_->Restore();
    if (panel_->ProgramSettingsRecord().remote.on)
        remote_->Apply(panel_->ProgramSettingsRecord().remote);
    // The first activation lets window events run and refills lists: never inside the show.
    QTimer::singleShot(0, panel_, [this] { frame_.Area().setActiveSubWindow(frame_.PanelWindow()); });
}

}  // namespace tavrin
