#include "shell/program.h"

#include "common/text_number.h"
#include "limits/limit_group.h"
#include "panel/control_panel.h"
#include "panel/setup_actions.h"
#include "record/record_group.h"
#include "session/session.h"
#include "setting_dialog/settings_dialog.h"
#include "shell/frame_arranger.h"
#include "shell/link_status_bar.h"
#include "shell/publish_form.h"
#include "shell/publishing.h"
#include "shell/remote_control.h"
#include "shell/waterfall_window.h"

#include <QAction>
#include <QLabel>
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
        if (publishing_)
            publishing_->Stop(Publishing::kQuitDrain);
        if (quit)
            quit();
    };
    auto portCheck = portInUse;
    panel_ = new ControlPanel({session_, dialogs, settings_, frame_.Display(), OperationFilePath(), std::move(portInUse),
                          std::move(leave)});
    frame_.SetSettingFactory([this, &dialogs, portCheck] {
        return new SettingsDialog({settings_, dialogs, session_, frame_.Display(), portCheck});
    });

    AddFileEntries();
    waterfall_ = new WaterfallWindow(frame_, *panel_, dialogs, [this] { return TrimSpaces(settings_.CaptureDir); });
    AddStatusBar();
    publishing_ = std::make_unique<Publishing>(session_, timers_);
    AddPublishing(*frame_.SettingMenu(), *frame_.statusBar(), *publishing_, dialogs,
                  [this]() -> PublishSettings & { return panel_->ProgramSettingsRecord().publish; });
    // The layout the user made, kept with the other windows' settings.
    QObject::connect(panel_, &ControlPanel::settingsSaving, &frame_,
                     [this] { panel_->ProgramSettingsRecord().layout = frame_.Arranger().Layout(); });
    remote_ = std::make_unique<RemoteControl>(session_, dialogs);
    remote_->AddMenuEntry(*frame_.SettingMenu());
    frame_.statusBar()->addPermanentWidget(remote_->StatusLabel());
    QObject::connect(panel_, &ControlPanel::settingsSaving, remote_.get(),
                     [this] { panel_->ProgramSettingsRecord().remote = remote_->Settings(); });
}

// The record (or the live trace) as a CSV file, the peak table, the limit lines' files and the
// setups, before Quit.
void Program::AddFileEntries()
{
    QMenu *file = frame_.FileMenu();
    QAction *quitEntry = nullptr;
    for (QAction *action : file->actions())
        if (action->objectName() == "mnuQuit")
            quitEntry = action;
    const std::pair<const char *, const char *> entries[] = {{"mnuExportCsv", "Export &CSV..."},
                                                             {"mnuExportPeaks", "Export &peak table as CSV..."},
                                                             {"mnuNewLimit", "&New limit line from trace..."},
                                                             {"mnuImportLimit", "&Import limit line from CSV..."},
                                                             {"mnuExportLimit", "Export &limit line as CSV..."}};
    const std::function<void()> work[] = {[this] { panel_->Record().ExportCsv(); },
                                          [this] { panel_->ExportPeakTable(); },
                                          [this] { panel_->Limits().NewFromTrace(); },
                                          [this] { panel_->Limits().ImportCsv(); },
                                          [this] { panel_->Limits().ExportCsv(); }};
    for (size_t i = 0; i < std::size(entries); ++i) {
        auto *entry = new QAction(entries[i].second, file);
        entry->setObjectName(entries[i].first);
        file->insertAction(quitEntry, entry);
        QObject::connect(entry, &QAction::triggered, panel_, work[i]);
    }
    AddSetupMenu(*file, quitEntry);
}

// The link's state, and at the right what the pointer stands on.
void Program::AddStatusBar()
{
    frame_.statusBar()->setAccessibleName("Status bar");
    auto *status = new LinkStatusBar([this] { return session_.Status(); });
    frame_.statusBar()->addWidget(status, 1);
    QObject::connect(&session_, &Session::changed, status, [status](SessionPart part) {
        if (part == SessionPart::Line)
            status->Refresh();
    });
    AddReadout();
}

void Program::AddReadout()
{
    auto *readout = new QLabel;
    readout->setObjectName("lblPointerReadout");
    readout->setAccessibleName("Pointer read-out");
    readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    frame_.statusBar()->addPermanentWidget(readout);
    auto show = [readout](const QString &text) {
        if (text == readout->text())
            return;
        readout->setText(text);
        readout->setAccessibleDescription(text);
    };
    QObject::connect(panel_, &ControlPanel::pointerReadout, readout, show);
    QObject::connect(waterfall_, &WaterfallWindow::pointerReadout, readout, show);
}

Program::~Program() = default;

// File > Setups: the named setups saved, recalled, renamed and deleted.
void Program::AddSetupMenu(QMenu &file, QAction *before)
{
    auto *setups = new QMenu("Set&ups", &file);
    setups->menuAction()->setObjectName("mnuSetups");
    file.insertMenu(before, setups);
    SetupActions &actions = panel_->Setups();
    const std::tuple<const char *, const char *, void (SetupActions::*)()> entries[] = {
        {"mnuSaveSetup", "&Save setup...", &SetupActions::Save},
        {"mnuRecallSetup", "&Recall setup...", &SetupActions::Recall},
        {"mnuRenameSetup", "Re&name setup...", &SetupActions::Rename},
        {"mnuDeleteSetup", "&Delete setup...", &SetupActions::Delete}};
    for (const auto &[name, caption, work] : entries) {
        QAction *entry = setups->addAction(caption);
        entry->setObjectName(name);
        QObject::connect(entry, &QAction::triggered, &actions, work);
    }
}

void Program::Start()
{
    panel_->FormLoad();
    publishing_->Apply(panel_->ProgramSettingsRecord().publish);  // what it cannot, the status bar says
    frame_.AddPanel(panel_);
    frame_.Arranger().SetLayout(panel_->ProgramSettingsRecord().layout);
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

void Program::OffTheWindow(std::function<std::function<void()>()> job)
{
    fileThread_->Post([this, job = std::move(job)] { QMetaObject::invokeMethod(&session_, job(), Qt::QueuedConnection); });
}

}  // namespace tavrin
