#include "panel/control_panel.h"

#include "acquisition/acquisition_group.h"
#include "acquisition/basic_group.h"
#include "common/dialogs.h"
#include "common/program_folder.h"
#include "common/text_number.h"
#include "display/display_window.h"
#include "limits/limit_group.h"
#include "markers/marker_group.h"
#include "output/output_group.h"
#include "panel/screen_assembly.h"
#include "panel/setup_actions.h"
#include "record/record_group.h"
#include "session/session.h"
#include "settings/setup_store.h"
#include "tg/tg_group.h"
#include "trace_modes/trace_group.h"
#include "widgets/panel_widgets.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QTimer>

namespace tavrin {

ControlPanel::ControlPanel(Services services, QWidget *parent)
    : QWidget(parent), s_(std::move(services)), display_(&s_.display)
{
    setObjectName("frmMain");
    setWindowTitle("Control Panel");
    Session &session = s_.session;
    MakeGroups();
    cmdQuit_ = Button(this, "cmdQuit", "Quit");
    connect(cmdQuit_, &QPushButton::clicked, this, &ControlPanel::Quit);
    WireAcquisition();
    WireMarkersAndModes();
    WireLimits();
    WireRecord();
    WireGenerator();
    WirePointer();
    WirePeakTools();
    WireMemoriesAndChannels();
    connect(&session, &Session::changed, this, &ControlPanel::Show);
    connect(&session, &Session::problem, this, [this](const QString &title, const QString &text) {
        s_.dialogs.ShowMessage(title.isEmpty() ? QCoreApplication::applicationName().toStdString() : title.toStdString(),
                               text.toStdString());
    });
    connect(&session, &Session::beep, this, [this] {
        if (s_.beep)
            s_.beep();
    });
    connect(&session, &Session::captureWanted, this, [this] {
        captureDue_ = true;
        ScheduleRedraw();
    });
    s_.display.SetDrawer([this](DrawingSurface &surface) {
        const ScreenView view = AssembleView(s_.session, s_.settings.Colors, programSettings_, s_.clock());
        DrawView(surface, view);
        shownReadings_ = view.readings;
    });
    s_.display.SetDropHandler([&session](int index, double x) {
        session.Markers().Dropped(index, x, session.Settings().State());
    });
    Arrange();
}

void ControlPanel::MakeGroups()
{
    Session &session = s_.session;
    acquisition_ = new AcquisitionGroup(this);
    basic_ = new BasicGroup(this);
    trace_ = new TraceGroup(this);
    markers_ = new MarkerGroup(this);
    limits_ = new LimitGroup({s_.dialogs, [&session]() -> const MeasurementState & { return session.Settings().State(); },
                              [&session]() -> const TracePoints * {
                                  return session.ShowsTrace() ? session.TraceToRead().trace : nullptr;
                              }},
                             this);
    // The holds on, then the memories that hold a trace.
    auto holdRows = [&session] {
        std::vector<CsvHold> rows;
        for (auto [kind, name] : {std::pair{HoldKind::Max, "max_hold"}, std::pair{HoldKind::Min, "min_hold"}})
            if (const TracePoints *held = session.Holds().Held(kind))
                rows.push_back({name, held, session.Holds().Settings()});
        for (MemorySlot slot : {MemorySlot::A, MemorySlot::B})
            if (const std::optional<TraceRecord> &memory = session.Memories().Memory(slot))
                rows.push_back(MemoryCsvRow(slot, *memory));
        return rows;
    };
    auto liveRecord = [&session] {
        const MeasurementState &state = session.Settings().State();
        const TracePtr shown = session.Shown();
        const AnalyzerSettings settings{NumericValue(state.centerFreqMHz), state.spanCaption,
                                        static_cast<int16_t>(NumericValue(state.refLevelDbm)), state.rbwCaption};
        return MakeRecord(shown ? shown->time : std::time(nullptr), settings, shown ? shown->points : TracePoints{});
    };
    record_ = new RecordGroup({s_.dialogs, s_.settings, [&session] { return session.Line().Running(); },
                               [&session] { return session.Record().Filled(); }, liveRecord, holdRows},
                              this);
    tg_ = new TGGroup(this);
    output_ = new OutputGroup({s_.dialogs, s_.settings, s_.display, [this](DrawingSurface &surface) { DrawScreen(surface); },
                               [this, &session] { return session.Shown() ? session.Shown()->time : s_.clock(); }},
                              this);
    setups_ = new SetupActions({session, s_.dialogs, SetupsFolder, WorkingFolder,
                                [this] { s_.settings.AverageCount = static_cast<int16_t>(s_.session.AverageCount()); }},
                               this);
}

ControlPanel::~ControlPanel()
{
    if (display_) {
        display_->SetDrawer({});
        display_->SetDropHandler({});
        display_->SetBandZoom({});
    }
}

void ControlPanel::DrawScreen(DrawingSurface &surface) const
{
    DrawView(surface, AssembleView(s_.session, s_.settings.Colors, programSettings_, s_.clock()));
}

void ControlPanel::ScheduleRedraw()
{
    if (std::exchange(redrawDue_, true))
        return;
    QTimer::singleShot(0, this, &ControlPanel::Redraw);
}

void ControlPanel::Redraw()
{
    redrawDue_ = false;
    if (!display_)
        return;
    display_->Redraw();
    // The labels follow what was drawn; no trace, no labels.
    if (shownReadings_)
        ShowMarkerLabels(*display_, *shownReadings_);
    else
        for (int i = 0; i < kMarkerCount; ++i)
            display_->Show(i, false);
    RefreshReadout();
    if (!std::exchange(captureDue_, false))
        return;
    if (const QString failure = output_->Capture(); !failure.isEmpty())
        s_.session.Limits().CaptureFailed(failure.toStdString());
}

void ControlPanel::FitMeasurementTable()
{
    if (display_)
        display_->SetBottom(ScreenBottom(TableRows(s_.session.Measurements(), s_.session.PeakTools().TableOn())));
}

void ControlPanel::Show(SessionPart part)
{
    Session &s = s_.session;
    switch (part) {
    case SessionPart::Line:
        acquisition_->ShowRunning(s.Line().Running() || s.Line().Checking());
        acquisition_->ShowAveraging(s.AveragingOn());
        break;
    case SessionPart::Settings:
        basic_->Show(s.Settings().State());
        break;
    case SessionPart::Markers:
        markers_->Show(s.Markers().Controls());
        break;
    case SessionPart::TraceModes:
        trace_->Show(s.Holds().On(HoldKind::Max), s.Holds().On(HoldKind::Min), s.Measurements());
        trace_->ShowChannels(s.Channels());
        FitMeasurementTable();
        break;
    case SessionPart::Memories:
        ShowMemories();
        break;
    case SessionPart::Peaks:
        markers_->ShowPeakTools(s.PeakTools().Tracks(), s.PeakTools().Rules(), s.PeakTools().TableOn());
        FitMeasurementTable();
        break;
    case SessionPart::Limits:
        limits_->Show(s.Limits().Lines(), s.Limits().Alarms());
        break;
    case SessionPart::Record:
        record_->Show(s.Record().View());
        // The screen shows a recording nowhere, a playback in its caption and its trace.
        if (!s.Record().Playing() && !std::exchange(playingShown_, false))
            return;
        playingShown_ = s.Record().Playing();
        break;
    case SessionPart::Generator:
        tg_->Show(s.Generator().Mode(), s.Generator().Output(), s.Generator().Level(), s.Generator().Offset());
        basic_->BasicFrameEnable(!s.Generator().Mode());
        return;
    case SessionPart::Trace:
        break;
    }
    ScheduleRedraw();
}

}  // namespace tavrin
