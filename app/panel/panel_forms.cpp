// The panel's form events: load, first activation, Quit and close, and the settings saved.
#include "acquisition/acquisition_group.h"
#include "acquisition/basic_group.h"
#include "common/dialogs.h"
#include "common/program_folder.h"
#include "common/text_number.h"
#include "display/display_window.h"
#include "limits/limit_group.h"
#include "markers/marker_group.h"
#include "panel/control_panel.h"
#include "session/session.h"
#include "widgets/panel_widgets.h"

#include <QCloseEvent>
#include <cmath>

namespace tavrin {

void ControlPanel::FormLoad()
{
    Session &s = s_.session;
    OperationFile &op = s_.settings;
    op = DefaultOperation();
    const LoadResult loaded = LoadOperation(s_.operationFilePath, op);
    if (loaded.status == LoadStatus::Unreadable)
        s_.dialogs.ShowMessage("TavrinRemote", "The settings file " + s_.operationFilePath + " could not be read (" +
                                                   loaded.error + "); the program starts with its default settings.");
    s.Settings().Restore(op);
    op.CaptureDir = TrimSpaces(op.CaptureDir);
    if (op.CaptureDir.empty())
        op.CaptureDir = ProgramFolder();
    s.Markers().Restore(op);
    s.SetAverageCount(op.AverageCount);
    programSettings_ = LoadProgramSettings(ProgramSettingsPath(s_.operationFilePath));
    const TraceModeSettings &modes = programSettings_.traceModes;
    s.SetMeasurements({modes.bandPower, modes.occupiedBandwidth, modes.noiseMarker, programSettings_.adjacentChannel.on});
    s.SetChannelPlan(programSettings_.adjacentChannel.plan);
    RestoreTools();
    s.SetHold(HoldKind::Max, false);  // the holds start off
    s.SetHold(HoldKind::Min, false);
    const LimitSettings &limits = programSettings_.limits;
    for (size_t k = 0; k < 2; ++k)
        s.Limits().SetKind(k, limits.lower[k] ? LimitKind::Lower : LimitKind::Upper);
    s.Limits().SetAlarms({limits.beep, limits.capture, limits.log});
    s.Generator().Reset();

    // The type selector matches the namespaced class by its name without the namespace.
    setStyleSheet(QString("tavrin--ControlPanel { %1 }").arg(kLightGrey));
    setAttribute(Qt::WA_StyledBackground);
    basic_->SetLightGrey();
    s_.display.SetBaseColor(op.Colors.Base);
    s_.display.MakeLabels(op.Colors.Background, op.Colors.Marker);
    for (SessionPart part : {SessionPart::Line, SessionPart::Settings, SessionPart::Markers, SessionPart::TraceModes,
                             SessionPart::Limits, SessionPart::Record, SessionPart::Generator, SessionPart::Memories,
                             SessionPart::Peaks})
        Show(part);
    Redraw();
    activated_ = false;
    loaded_ = true;
}

void ControlPanel::FormActivate()
{
    if (activated_ || !loaded_)
        return;
    BusyPointer busy;
    basic_->FillLists();
    markers_->FillSelectors();
    s_.session.Markers().ResetDeltas();
    limits_->RefreshLimitSelector();
    acquisition_->FocusStart();
    activated_ = true;
    s_.session.Line().SelectPort(s_.settings.ComPortSetting, s_.portInUse);
}

// The memories (from their files, shown as they were) and the peak tools' rules and table; no
// marker tracks a peak at the start.
void ControlPanel::RestoreTools()
{
    Session &s = s_.session;
    s.Memories().Load();
    s.Memories().SetShown(MemorySlot::A, programSettings_.memories.showA);
    s.Memories().SetShown(MemorySlot::B, programSettings_.memories.showB);
    const PeakSettings &peaks = programSettings_.peaks;
    PeakRules rules;
    rules.excursionDb = peaks.excursionDb.value_or(rules.excursionDb);
    rules.thresholdDbm = peaks.thresholdDbm.value_or(rules.thresholdDbm);
    s.PeakTools().SetRules(rules);
    s.PeakTools().SetTable(peaks.table);
}

void ControlPanel::KeepTools()
{
    const Session &s = s_.session;
    programSettings_.memories.showA = s.Memories().Shown(MemorySlot::A);
    programSettings_.memories.showB = s.Memories().Shown(MemorySlot::B);
    const PeakRules &rules = s.PeakTools().Rules();
    programSettings_.peaks.excursionDb = rules.excursionDb;
    programSettings_.peaks.thresholdDbm =
        std::isfinite(rules.thresholdDbm) ? std::optional<double>(rules.thresholdDbm) : std::nullopt;
    programSettings_.peaks.table = s.PeakTools().TableOn();
}

bool ControlPanel::SaveSettings()
{
    Session &s = s_.session;
    OperationFile &op = s_.settings;
    s.Settings().Save(op);
    s.Markers().Save(op);
    const MeasurementSwitches on = s.Measurements();
    programSettings_.traceModes.bandPower = on.bandPower;
    programSettings_.traceModes.occupiedBandwidth = on.occupiedBandwidth;
    programSettings_.traceModes.noiseMarker = on.noiseMarker;
    programSettings_.adjacentChannel = {on.adjacentChannel, s.Channels()};
    KeepTools();
    const LimitLines &lines = s.Limits().Lines();
    const LimitAlarms &alarms = s.Limits().Alarms();
    programSettings_.limits = {{lines[0].kind == LimitKind::Lower, lines[1].kind == LimitKind::Lower},
                               alarms.beep, alarms.capture, alarms.log};
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

void ControlPanel::Quit()
{
    if (quitting_)
        return;
    quitting_ = true;
    s_.session.Halt();
    SaveSettings();
    if (s_.quit)
        s_.quit();
}

void ControlPanel::FormUnload()
{
    s_.session.Halt();
    SaveSettings();
}

void ControlPanel::closeEvent(QCloseEvent *event)
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
