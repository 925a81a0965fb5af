// The display window's pointer, wheel, keys and menu wired to the session: each becomes the
// intent a typed setting or a marker's field would have sent, through the same rules.
#include "common/dialogs.h"
#include "common/text_number.h"
#include "display/display_window.h"
#include "display/pointer_commands.h"
#include "measure/pointer_readout.h"
#include "output/output_group.h"
#include "panel/control_panel.h"
#include "panel/screen_assembly.h"
#include "record/record_csv.h"
#include "session/session.h"

#include <QClipboard>
#include <QGuiApplication>

namespace tavrin {

void ControlPanel::WirePointer()
{
    DisplayWindow &d = s_.display;
    Session &s = s_.session;
    d.SetBandZoom([&s] { return !IsZeroSpan(s.Settings().State().spanCaption); });
    connect(&d, &DisplayWindow::pointerMoved, this, [this](double x, double y) { emit pointerReadout(ReadoutAt(x, y)); });
    connect(&d, &DisplayWindow::pointerLeft, this, [this] { emit pointerReadout({}); });
    connect(&d, &DisplayWindow::pointClicked, this, [this, &s](double x, double y) {
        // Only over the graticule, where the read-out shows what the click would take.
        if (PointUnder(x, y))
            if (const std::optional<MarkerChange> change = MarkerToX(s.Settings().State(), s.Markers().Active(), x))
                ApplyMarkerChange(*change);
    });
    connect(&d, &DisplayWindow::bandDragged, this, [this, &s](double x1, double x2) {
        if (const std::optional<SettingsChange> change = ZoomToBand(s.Settings().State(), x1, x2))
            ApplySettingsChange(*change);
    });
    connect(&d, &DisplayWindow::commandWanted, this, [this, &s](PointerCommand command) {
        const PointerContext context{s.Settings().State(), s.Markers().Controls(), s.Markers().Active(),
                                     s.ShowsTrace() ? s.TraceToRead().trace : nullptr, s_.settings.FreqStepMHz};
        const PointerOutcome outcome = Perform(command, context);
        if (outcome.settings)
            ApplySettingsChange(*outcome.settings);
        if (outcome.marker)
            ApplyMarkerChange(*outcome.marker);
    });
    connect(&d, &DisplayWindow::copyTraceWanted, this, &ControlPanel::CopyTraceCsv);
    connect(&d, &DisplayWindow::saveScreenWanted, output_, &OutputGroup::Shutter);
}

QString ControlPanel::ReadoutAt(double x, double y) const
{
    const ScreenView view = AssembleView(s_.session, s_.settings.Colors, programSettings_, s_.clock());
    // The difference view draws the difference alone, on a scale of its own: that is what is read.
    const bool difference = view.difference && view.difference->db;
    const DrawnTraces drawn = difference ? DrawnTraces{}
                                         : DrawnTraces{view.readings ? view.liveTrace : nullptr, view.holds[0].trace,
                                                       view.holds[1].trace};
    std::optional<PointerReading> reading = ReadAtPointer(*view.state, drawn, x, y);
    if (reading && difference) {
        reading->level = (*view.difference->db)[static_cast<size_t>(reading->point)];
        reading->unit = "dB";
    }
    return reading ? QString::fromStdString(ReadoutText(*reading)) : QString();
}

void ControlPanel::RefreshReadout()
{
    if (display_)
        if (const std::optional<QPointF> at = display_->Pointer())
            emit pointerReadout(ReadoutAt(at->x(), at->y()));
}

void ControlPanel::ApplySettingsChange(const SettingsChange &change)
{
    PanelSettings &settings = s_.session.Settings();
    // Queued one behind the other in this order, each confirmed before the next goes out.
    auto span = [&] {
        if (change.spanRow)
            settings.ChooseSpan(*change.spanRow);
    };
    auto center = [&] {
        if (change.centerText)
            settings.EnterCenter(*change.centerText);
    };
    if (change.spanFirst)
        span(), center();
    else
        center(), span();
    if (change.refLevelRow)
        settings.ChooseRefLevel(*change.refLevelRow);
}

void ControlPanel::ApplyMarkerChange(const MarkerChange &change)
{
    MarkerSet &markers = s_.session.Markers();
    markers.SetFrequencyText(change.index, change.freqText);
    markers.SetOn(change.index, true);
}

void ControlPanel::CopyTraceCsv()
{
    Session &s = s_.session;
    const TracePtr shown = s.Shown();
    if (!shown) {
        s_.dialogs.ShowMessage("Copy trace as CSV", "There is no trace to copy yet: press Start first.");
        return;
    }
    const bool dbu = TrimSpaces(s_.settings.Unit) != "dBm";
    std::vector<CsvHold> holds;
    if (shown == s.Live())
        for (auto [kind, name] : {std::pair{HoldKind::Max, "max_hold"}, std::pair{HoldKind::Min, "min_hold"}})
            if (const TracePoints *held = s.Holds().Held(kind))
                holds.push_back({name, held, s.Holds().Settings()});
    const std::string csv = RecordCsv({MakeRecord(shown->time, shown->settings, shown->points)}, dbu) +
                            CsvHoldRows(holds, dbu);
    QGuiApplication::clipboard()->setText(QString::fromStdString(csv));
}

}  // namespace tavrin
