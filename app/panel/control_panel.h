// The control panel "Control Panel": places the panel groups, wires them to the session (each
// group shows a part of its state and sends it intents), draws the session's view on the display
// window, and runs the form events (load, first activation, Quit, close).
#pragma once

#include "markers/markers.h"
#include "settings/operation_file.h"
#include "settings/program_settings.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <ctime>
#include <functional>
#include <optional>
#include <string>

class QPushButton;

namespace tavrin {

class AcquisitionGroup;
class BasicGroup;
class DrawingSurface;
class DisplayWindow;
class LimitGroup;
class MarkerGroup;
class OutputGroup;
class RecordGroup;
class Session;
class SetupActions;
class TGGroup;
class TraceGroup;
class UserDialogs;
enum class SessionPart;
struct MarkerChange;
struct SettingsChange;

class ControlPanel : public QWidget {
    Q_OBJECT
public:
    struct Services {
        Session &session;
        UserDialogs &dialogs;
        OperationFile &settings;
        DisplayWindow &display;
        std::string operationFilePath;  // the second settings file lies beside it
        std::function<bool(int port)> portInUse;
        std::function<void()> quit;  // ends the program
        std::function<std::time_t()> clock = [] { return std::time(nullptr); };  // the empty screen's time
        std::function<void()> beep = [] { QApplication::beep(); };
    };

    ControlPanel(Services services, QWidget *parent = nullptr);
    ~ControlPanel() override;

    // Start-up: the operation file and the second settings file read into the session, shown, and
    // the first drawing.
    void FormLoad();
    // The first activation fills the lists and selects the saved port; later ones do nothing.
    void FormActivate();
    // Quit: the acquisition ends, the settings are saved and the program ends.
    void Quit();
    void FormUnload();

    bool Activated() const { return activated_; }
    Session &TheSession() { return s_.session; }
    // The groups whose menu entries live in the File menu.
    LimitGroup &Limits() { return *limits_; }
    RecordGroup &Record() { return *record_; }
    SetupActions &Setups() { return *setups_; }
    // The peak table of the trace the markers read as a CSV file.
    void ExportPeakTable();
    // The second settings file as read at load. Windows outside the panel keep their sections
    // here when settingsSaving comes.
    ProgramSettings &ProgramSettingsRecord() { return programSettings_; }
    // The screen as it stands, on any surface (a capture, a page); changes nothing.
    void DrawScreen(DrawingSurface &surface) const;
    // What the pointer reads at screen (x, y) on the display: frequency and levels; empty off
    // the graticule.
    QString ReadoutAt(double x, double y) const;
    // A marker put somewhere by pointing (the display, the waterfall): its text as if typed, and
    // the marker switched on.
    void ApplyMarkerChange(const MarkerChange &change);
    // The panel's size with every group shown, and at its smallest (the groups then scroll under
    // the buttons that stay).
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The second settings file is about to be written.
    void settingsSaving();
    // The read-out under the pointer on the display changed; empty: the pointer is not over it.
    void pointerReadout(const QString &text);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Each group is given only what it reads of the session, as functions.
    void MakeGroups();
    void WireAcquisition();
    void WireMarkersAndModes();
    void WireLimits();
    void WireRecord();
    void WireGenerator();
    // The display's pointer, wheel, keys and menu.
    void WirePointer();
    void ApplySettingsChange(const SettingsChange &change);
    void CopyTraceCsv();
    // The read-out again where the pointer stands, after the screen changed under it.
    void RefreshReadout();
    void WirePeakTools();
    void WireMemoriesAndChannels();
    void ShowMemories();
    // The buttons that stay in a row on top, the groups in columns below them in a scroll area.
    void Arrange();
    // A part of the session changed: its group shows it, and the screen is drawn again once the
    // events of this turn are done.
    void Show(SessionPart part);
    void ScheduleRedraw();
    // The display draws the view and its marker labels follow it; a capture asked for by a limit
    // failure is made once the screen is drawn.
    void Redraw();
    void FitMeasurementTable();
    bool SaveSettings();
    // The memories and the peak tools from the second settings file, and back into it.
    void RestoreTools();
    void KeepTools();

    Services s_;
    ProgramSettings programSettings_;
    QPointer<DisplayWindow> display_;  // may go before the panel at exit
    AcquisitionGroup *acquisition_ = nullptr;
    BasicGroup *basic_ = nullptr;
    MarkerGroup *markers_ = nullptr;
    LimitGroup *limits_ = nullptr;
    RecordGroup *record_ = nullptr;
    TGGroup *tg_ = nullptr;
    TraceGroup *trace_ = nullptr;
    OutputGroup *output_ = nullptr;
    SetupActions *setups_ = nullptr;
    QPushButton *cmdQuit_ = nullptr;
    QWidget *buttonBar_ = nullptr;  // Start/Stop, AVG, Freeze, Shutter, Print, Quit
    QWidget *groups_ = nullptr;     // the groups, in the scroll area
    bool loaded_ = false;
    bool activated_ = false;
    bool quitting_ = false;
    bool redrawDue_ = false;
    bool captureDue_ = false;
    bool playingShown_ = false;  // the screen was drawn while a playback ran
    std::optional<MarkerReadings> shownReadings_;  // of the display's last drawing
};

}  // namespace tavrin
