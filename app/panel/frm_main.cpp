#include "panel/frm_main.h"

#include "acquisition/acquisition_group.h"
#include "acquisition/basic_group.h"
#include "common/dialogs.h"
#include "common/program_folder.h"
#include "common/text_number.h"
#include "display/frm_crt.h"
#include "instrument/tavrin_dll.h"
#include "markers/limit_group.h"
#include "markers/marker_group.h"
#include "output/output_group.h"
#include "record/record_group.h"
#include "tg/tg_group.h"
#include "trace_modes/trace_group.h"
#include "widgets/panel_widgets.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavrin {

FrmMain::FrmMain(Services services, QWidget *parent)
    : QWidget(parent), s_(std::move(services)), display_(&s_.display), screen_(s_.display, s_.clock)
{
    setObjectName("frmMain");
    setWindowTitle("Control Panel");
    // Each group is given only what exists before it; the groups hear of each other through the
    // connections of Wire().
    acquisition_ = new AcquisitionGroup({s_.instrument, s_.dialogs, s_.settings}, this);
    basic_ = new BasicGroup({s_.instrument, s_.settings, *acquisition_}, this);
    trace_ = new TraceGroup(this);
    limits_ = new LimitGroup({s_.dialogs, [&basic = *basic_]() -> const MeasurementState & { return basic.State(); },
                              [this]() -> const LiveTrace * {
                                  const ScreenAssembly::Sources sources = ScreenSources();
                                  return ScreenAssembly::ShowsTrace(sources) ? ScreenAssembly::TraceToRead(sources).trace
                                                                             : nullptr;
                              },
                              s_.beep, s_.seconds},
                             this);
    auto screenTime = [&screen = screen_] { return screen.ScreenTime(); };
    auto holdRows = [&holds = trace_->Holds()] {
        std::vector<CsvHold> rows;
        for (auto [kind, name] : {std::pair{HoldKind::Max, "max_hold"}, std::pair{HoldKind::Min, "min_hold"}})
            if (const LiveTrace *held = holds.Held(kind))
                rows.push_back({name, held, holds.Settings()});
        return rows;
    };
    record_ = new RecordGroup({s_.instrument, s_.dialogs, s_.settings, *acquisition_, *basic_, screenTime, holdRows},
                              this);
    markers_ = new MarkerGroup({s_.settings, [&basic = *basic_]() -> const MeasurementState & { return basic.State(); },
                                [this]() -> const LiveTrace & { return *ScreenAssembly::TraceToRead(ScreenSources()).trace; }},
                               this);
    tg_ = new TGGroup({s_.instrument, *acquisition_}, this);
    output_ = new OutputGroup(
        {s_.dialogs, s_.settings, s_.display, [this](DrawingSurface &surface) { DrawScreen(surface); }, screenTime},
        this);
    cmdQuit_ = Button(this, "cmdQuit", "Quit");
    Wire();
    Arrange();
}

void FrmMain::Wire()
{
    FrmCRT &display = s_.display;
    connect(cmdQuit_, &QPushButton::clicked, this, &FrmMain::cmdQuit_Click);
    connect(acquisition_, &AcquisitionGroup::settingsReported, basic_, &BasicGroup::FollowReport);
    connect(basic_, &BasicGroup::centerFreqEntered, acquisition_, &AcquisitionGroup::FocusStart);
    connect(tg_, &TGGroup::tgModeChanged, basic_, [basic = basic_](bool on) { basic->BasicFrameEnable(!on); });
    connect(acquisition_, &AcquisitionGroup::traceTaken, trace_, [this](const LiveTrace &shown) {
        TavrinDLL &block = s_.instrument;
        trace_->Add(shown, {block.BlockCenterFreq(), block.BlockSpan(), block.BlockRefLevel(), block.BlockRBW()});
    });
    connect(trace_, &TraceGroup::redrawNeeded, &display, &FrmCRT::Redraw);
    connect(trace_, &TraceGroup::measurementsChanged, this, &FrmMain::FitMeasurementTable);
    connect(markers_, &MarkerGroup::redrawNeeded, &display, &FrmCRT::Redraw);
    connect(markers_, &MarkerGroup::drawOverNeeded, &display, &FrmCRT::DrawOver);
    connect(limits_, &LimitGroup::redrawNeeded, &display, &FrmCRT::Redraw);
    // A new trace is handed on, then judged once the panel follows the settings it reported, and
    // only then drawn.
    WireTraceShown();
    connect(this, &FrmMain::traceShown, this, [this](const ShownTrace &shown) {
        newTrace_ = true;
        newTraceTime_ = shown.time;
    });
    connect(acquisition_, &AcquisitionGroup::traceChanged, this, &FrmMain::ShowTrace);
    connect(record_, &RecordGroup::redrawNeeded, this, &FrmMain::ShowTrace);
    display.SetDrawer([this](DrawingSurface &surface) { DrawScreen(surface); });
    display.SetDropHandler([markers = markers_](int index, double x) { markers->LabelDropped(index, x); });
}

FrmMain::~FrmMain()
{
    if (display_) {
        display_->SetDrawer({});
        display_->SetDropHandler({});
    }
}

ScreenAssembly::Sources FrmMain::ScreenSources()
{
    return {s_.settings.Colors, basic_->State(), *acquisition_, *markers_, *limits_, *record_, *trace_};
}

void FrmMain::DrawScreen(DrawingSurface &surface) { screen_.Draw(surface, ScreenSources()); }

void FrmMain::ShowTrace()
{
    const bool capture =
        std::exchange(newTrace_, false) && limits_->Judged(ScreenAssembly::Verdicts(ScreenSources()), newTraceTime_);
    if (!display_)
        return;
    display_->Redraw();
    if (!capture)
        return;
    if (const QString failure = output_->Capture(); !failure.isEmpty())
        limits_->CaptureFailed(failure.toStdString());
}

void FrmMain::FitMeasurementTable()
{
    if (display_)
        display_->SetBottom(ScreenBottom(trace_->Measurements().Count()));
}

void FrmMain::Arrange()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->setSpacing(6);
    for (QWidget *group : std::initializer_list<QWidget *>{basic_, markers_, trace_, limits_, record_, tg_})
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
    programSettings_ = LoadProgramSettings(ProgramSettingsPath(s_.operationFilePath));
    trace_->Restore(programSettings_.traceModes);
    limits_->Restore(programSettings_.limits);
    FitMeasurementTable();

    // The type selector matches the namespaced class by its name without the namespace.
    setStyleSheet(QString("tavrin--FrmMain { %1 }").arg(kLightGrey));
    setAttribute(Qt::WA_StyledBackground);
    basic_->SetLightGrey();

    s_.display.SetBaseColor(op.Colors.Base);
    s_.display.Redraw();
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
    acquisition_->FocusStart();
    activated_ = true;

    s_.instrument.SelectPortUnlessHeld(s_.settings.ComPortSetting, s_.portInUse);
}

bool FrmMain::SaveSettings()
{
    OperationFile &op = s_.settings;
    basic_->SaveTexts(op);
    markers_->SaveTexts(op);
    programSettings_.traceModes = trace_->Saved();
    programSettings_.limits = limits_->Saved();
    emit settingsSaving();
    std::string path = s_.operationFilePath, error;
    bool saved = SaveOperation(path, op, &error);
    if (saved) {
        path = ProgramSettingsPath(s_.operationFilePath);
        saved = SaveProgramSettings(path, programSettings_, &error);
    }
    if (!saved)
        s_.dialogs.ShowMessage("TavrinRemote", "The settings could not be saved to " + path + ": " + error);
    return saved;
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
