// The panel groups wired to the session: what the user does becomes the session's intent.
#include "acquisition/acquisition_group.h"
#include "acquisition/basic_group.h"
#include "limits/limit_group.h"
#include "markers/marker_group.h"
#include "panel/control_panel.h"
#include "record/record_group.h"
#include "session/session.h"
#include "tg/tg_group.h"
#include "trace_modes/trace_group.h"

namespace tavrin {

void ControlPanel::WireAcquisition()
{
    Session &s = s_.session;
    connect(acquisition_, &AcquisitionGroup::startStopClicked, this, [&s] {
        s.Line().Running() || s.Line().Checking() ? s.Stop() : s.Start();
    });
    connect(acquisition_, &AcquisitionGroup::averagingClicked, this, [&s] { s.SetAveraging(!s.AveragingOn()); });
    connect(acquisition_, &AcquisitionGroup::freezeClicked, this, [&s] { s.Freeze(); });
    PanelSettings &settings = s.Settings();
    connect(basic_, &BasicGroup::centerEntered, this, [this, &settings](const std::string &typed) {
        settings.EnterCenter(typed);
        acquisition_->FocusStart();
    });
    connect(basic_, &BasicGroup::centerStepped, this,
            [this, &settings](int direction) { settings.StepCenter(direction, s_.settings.FreqStepMHz); });
    connect(basic_, &BasicGroup::spanChosen, this, [&settings](int row) { settings.ChooseSpan(row); });
    connect(basic_, &BasicGroup::refLevelChosen, this, [&settings](int row) { settings.ChooseRefLevel(row); });
    connect(basic_, &BasicGroup::rbwChosen, this, [&settings](int row) { settings.ChooseRbw(row); });
    connect(basic_, &BasicGroup::adjusting, this, [&settings](bool on) { settings.SetAdjusting(on); });
    connect(basic_, &BasicGroup::centerEditing, this, [&settings](bool on) { settings.SetCenterEditing(on); });
}

void ControlPanel::WireMarkersAndModes()
{
    Session &s = s_.session;
    MarkerSet &m = s.Markers();
    connect(markers_, &MarkerGroup::switched, this, [&m](int i, bool on) { m.SetOn(i, on); });
    connect(markers_, &MarkerGroup::frequencyEntered, this,
            [&m](int i, const std::string &text) { m.SetFrequencyText(i, text); });
    connect(markers_, &MarkerGroup::stepped, this,
            [this, &m](int i, int direction) { m.Step(i, direction, s_.settings.FreqStepMHz); });
    connect(markers_, &MarkerGroup::deltaChosen, this, [&m](int i, const std::string &ref) { m.SetDelta(i, ref); });
    connect(markers_, &MarkerGroup::peakClicked, this, [&s] { s.Peak(); });
    connect(trace_, &TraceGroup::holdSwitched, this, [&s](HoldKind kind, bool on) { s.SetHold(kind, on); });
    connect(trace_, &TraceGroup::holdsCleared, this, [&s] { s.ClearHolds(); });
    connect(trace_, &TraceGroup::measurementsChosen, this, [&s](MeasurementSwitches on) { s.SetMeasurements(on); });
}

void ControlPanel::WireLimits()
{
    LimitTest &l = s_.session.Limits();
    connect(limits_, &LimitGroup::switched, this, [&l](size_t k, bool on) { l.SetShown(k, on); });
    connect(limits_, &LimitGroup::fileChosen, this,
            [&l](size_t k, const std::string &name, const std::vector<LimitPoint> &points) { l.SetFile(k, name, points); });
    connect(limits_, &LimitGroup::kindChosen, this, [&l](size_t k, LimitKind kind) { l.SetKind(k, kind); });
    connect(limits_, &LimitGroup::alarmsChosen, this, [&l](const LimitAlarms &a) { l.SetAlarms(a); });
    connect(limits_, &LimitGroup::clearClicked, this, [&l] { l.ClearCounts(); });
    connect(limits_, &LimitGroup::fileMade, this,
            [&l](const std::string &name, const std::vector<LimitPoint> &points) { l.FileChanged(name, points); });
}

void ControlPanel::WireRecord()
{
    Session &s = s_.session;
    Recorder &r = s.Record();
    connect(record_, &RecordGroup::timedStartWanted, this,
            [&r](int32_t entries, int32_t period, double seconds) { r.StartTimed(entries, period, seconds); });
    connect(record_, &RecordGroup::continuousStartWanted, this,
            [&r](const std::string &path, int32_t period) { r.StartContinuous(path, period); });
    connect(record_, &RecordGroup::startGivenUp, this, [&r] { r.StartGivenUp(); });
    connect(record_, &RecordGroup::stopWanted, this, [&r] { r.StopRecording(); });
    connect(record_, &RecordGroup::playWanted, this, [&r](int32_t period) { r.TogglePlay(period); });
    connect(record_, &RecordGroup::playColourWanted, this, [&s] { s.SetPlayColour(true); });
    connect(record_, &RecordGroup::loadEnded, this, [&r](std::shared_ptr<RecordTable> table, bool cancelled) {
        r.LoadEnded(table ? std::optional<RecordTable>(std::move(*table)) : std::nullopt, cancelled);
    });
    connect(record_, &RecordGroup::saved, this, [&r] { r.Saved(); });
    connect(record_, &RecordGroup::busy, this, [&r](bool on) { r.SetBusy(on); });
}

void ControlPanel::WireGenerator()
{
    GeneratorControl &g = s_.session.Generator();
    connect(tg_, &TGGroup::modeClicked, this, [&g] { g.ToggleMode(); });
    connect(tg_, &TGGroup::outputClicked, this, [&g] { g.ToggleOutput(); });
    connect(tg_, &TGGroup::normalizeClicked, this, [&g] { g.Normalize(); });
    connect(tg_, &TGGroup::levelEntered, this, [&g](const std::string &text) { g.EnterLevel(text); });
    connect(tg_, &TGGroup::offsetEntered, this, [&g](const std::string &text) { g.EnterOffset(text); });
    connect(tg_, &TGGroup::settingsWanted, this, [&g] { g.SendSettings(); });
}

}  // namespace tavrin
