#include "panel/frm_main.h"

#include "common/dialogs.h"
#include "common/program_folder.h"
#include "common/text_number.h"
#include "instrument/tavrin_dll.h"
#include "markers/limit_group.h"
#include "markers/marker_group.h"
#include "acquisition/acquisition_group.h"
#include "acquisition/basic_group.h"
#include "display/frm_crt.h"
#include "widgets/panel_widgets.h"
#include "panel/screen_assembly.h"
#include "output/output_group.h"
#include "record/record_group.h"
#include "tg/tg_group.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavrin {

FrmMain::FrmMain(Services services, QWidget *parent) : QWidget(parent), s_(std::move(services))
{
    setObjectName("frmMain");
    setWindowTitle("Control Panel");
    acquisition_ = new AcquisitionGroup({s_.instrument, s_.dialogs, s_.settings,
                                         [this] { basic_->FollowReport(); },
                                         [this] { screen_->Redraw(); }},
                                        this);
    basic_ = new BasicGroup({s_.instrument, s_.settings, *acquisition_,
                             [this] { acquisition_->Controls().cmdStart->setFocus(); }},
                            this);
    auto state = [this]() -> const MeasurementState & { return basic_->State(); };
    markers_ = new MarkerGroup({s_.settings, state, [this]() -> const LiveTrace & { return screen_->ShownTrace(); },
                                [this] { screen_->Redraw(); }, [this] { screen_->DrawOver(); }},
                               this);
    limits_ = new LimitGroup({s_.dialogs, [this] { screen_->Redraw(); }}, this);
    record_ = new RecordGroup({s_.instrument, s_.dialogs, s_.settings, *acquisition_, *basic_,
                               [this] { screen_->Redraw(); }},
                              this);
    tg_ = new TGGroup({s_.instrument, *acquisition_, [this](bool enabled) { basic_->BasicFrameEnable(enabled); }},
                      this);
    output_ = new OutputGroup({s_.dialogs, s_.settings, s_.display,
                               [this]() -> ScreenAssembly & { return *screen_; }, [this] { screen_->Redraw(); }},
                              this);
    cmdQuit_ = Button(this, "cmdQuit", "Quit");
    connect(cmdQuit_, &QPushButton::clicked, this, &FrmMain::cmdQuit_Click);
    screen_ = std::make_unique<ScreenAssembly>(
        s_.display, ScreenAssembly::Sources{s_.settings.Colors, state, *acquisition_, *markers_, *limits_, *record_});
    Arrange();
}

FrmMain::~FrmMain() = default;

void FrmMain::Arrange()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->setSpacing(6);
    for (QWidget *group : std::initializer_list<QWidget *>{basic_, markers_, limits_, record_, tg_})
        outer->addWidget(group);
    auto *buttons = new QGridLayout;
    buttons->addWidget(acquisition_, 0, 0);
    buttons->addWidget(output_, 1, 0);
    buttons->addWidget(cmdQuit_, 1, 1);
    outer->addLayout(buttons);
    outer->addStretch(1);
}

void FrmMain::FormLoad()
{
    acquisition_->Load();
    record_->Load();
    limits_->Load();

    OperationFile &op = s_.settings;
    op = DefaultOperation();
    const LoadResult loaded = LoadOperation(s_.operationFilePath, op);
    if (loaded.status == LoadStatus::Unreadable)
        s_.dialogs.ShowMessage("TavrinRemote", "The settings file " + s_.operationFilePath + " could not be read (" +
                                                   loaded.error + "); the program starts with its default settings.");

    basic_->RestoreSaved(op);
    op.CaptureDir = TrimSpaces(op.CaptureDir);
    if (op.CaptureDir.empty())
        op.CaptureDir = ProgramFolder();
    markers_->RestoreSaved(op);
    acquisition_->SetTraceDrawColor(op.Colors.Trace);

    // The type selector matches the namespaced class by its name without the namespace.
    setStyleSheet(QString("tavrin--FrmMain { %1 }").arg(kLightGrey));
    setAttribute(Qt::WA_StyledBackground);
    basic_->SetLightGrey();

    s_.display.SetBaseColor(op.Colors.Base);
    screen_->Redraw();
    s_.display.MakeLabels(op.Colors.Background, op.Colors.Marker);
    LetEventsRun();

    tg_->Load();
    activated_ = false;
    loaded_ = true;
}

void FrmMain::FormActivate()
{
    if (activated_ || !loaded_)
        return;
    BusyPointer busy;
    LetEventsRun();
    LetEventsRun();
    basic_->FillLists();
    markers_->FillSelectors();
    limits_->RefreshLimitSelector();
    acquisition_->Controls().cmdStart->setFocus();
    activated_ = true;

    s_.instrument.SelectPortUnlessHeld(s_.settings.ComPortSetting, s_.portInUse);
}

bool FrmMain::SaveSettings()
{
    OperationFile &op = s_.settings;
    basic_->SaveTexts(op);
    markers_->SaveTexts(op);
    std::string error;
    if (SaveOperation(s_.operationFilePath, op, &error))
        return true;
    s_.dialogs.ShowMessage("TavrinRemote", "The settings could not be saved to " + s_.operationFilePath + ": " + error);
    return false;
}

void FrmMain::cmdQuit_Click()
{
    if (quitting_)
        return;
    quitting_ = true;
    acquisition_->Halt();
    SaveSettings();
    if (s_.quit)
        s_.quit();
}

void FrmMain::FormUnload()
{
    acquisition_->Halt();
    SaveSettings();
}

void FrmMain::closeEvent(QCloseEvent *event)
{
    // Closing the panel ends the program, as Quit does.
    event->accept();
    if (quitting_)
        return;
    quitting_ = true;
    FormUnload();
    if (s_.quit)
        s_.quit();
}

}  // namespace tavrin
