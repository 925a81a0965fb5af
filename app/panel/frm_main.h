// The control panel "Control Panel": places the panel groups and runs the form events (load,
// first activation, Quit, close).
#pragma once

#include "panel/screen_assembly.h"
#include "settings/operation_file.h"
#include "settings/program_settings.h"
#include "waterfall/waterfall_rows.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <chrono>
#include <ctime>
#include <functional>
#include <string>

class QPushButton;

namespace tavrin {

class AcquisitionGroup;
class BasicGroup;
class DrawingSurface;
class FrmCRT;
class LimitGroup;
class MarkerGroup;
class OutputGroup;
class RecordGroup;
class TGGroup;
class TavrinDLL;
class TraceGroup;
class UserDialogs;

class FrmMain : public QWidget {
    Q_OBJECT
public:
    struct Services {
        TavrinDLL &instrument;
        UserDialogs &dialogs;
        OperationFile &settings;
        FrmCRT &display;
        std::string operationFilePath;  // the second settings file lies beside it
        std::function<bool(int port)> portInUse;
        std::function<void()> quit;  // ends the program
        ScreenAssembly::Clock clock = [] { return std::time(nullptr); };  // of the header's time
        std::function<void()> beep = [] { QApplication::beep(); };         // on a limit failure
        std::function<double()> seconds = [] {                             // a steady clock
            return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
        };
    };

    FrmMain(Services services, QWidget *parent = nullptr);
    ~FrmMain() override;

    // Start-up: the groups' start states, the operation file read and shown, the first drawing.
    void FormLoad();
    // The first activation fills the lists and selects the saved port; later ones do nothing.
    void FormActivate();
    // Quit: the acquisition ends, the settings are saved and the program ends.
    void cmdQuit_Click();
    void FormUnload();

    bool Activated() const { return activated_; }
    // The groups others use: the settings dialog, the File menu, tests.
    AcquisitionGroup &Acquisition() { return *acquisition_; }
    BasicGroup &Basic() { return *basic_; }
    LimitGroup &Limits() { return *limits_; }
    RecordGroup &Record() { return *record_; }
    TGGroup &TG() { return *tg_; }
    TraceGroup &Traces() { return *trace_; }
    // The second settings file as read at load. Windows outside the panel keep their sections
    // here when settingsSaving comes.
    ProgramSettings &ProgramSettingsRecord() { return programSettings_; }

signals:
    // Each trace the screen shows as its main trace: taken (averaged while averaging is on), or an
    // entry offline playback put there.
    void traceShown(const ShownTrace &trace);
    // The second settings file is about to be written.
    void settingsSaving();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Wire();
    void WireTraceShown();
    void Arrange();
    ScreenAssembly::Sources ScreenSources();
    void DrawScreen(DrawingSurface &surface);
    // The display shows the trace as it now stands: a new trace is first judged against the limit
    // lines, and captured once drawn when a failure asks for it.
    void ShowTrace();
    // The display's lower edge follows the rows of the measurement table.
    void FitMeasurementTable();
    bool SaveSettings();

    Services s_;
    ProgramSettings programSettings_;
    QPointer<FrmCRT> display_;  // may go before the panel at exit
    ScreenAssembly screen_;
    AcquisitionGroup *acquisition_ = nullptr;
    BasicGroup *basic_ = nullptr;
    MarkerGroup *markers_ = nullptr;
    LimitGroup *limits_ = nullptr;
    RecordGroup *record_ = nullptr;
    TGGroup *tg_ = nullptr;
    TraceGroup *trace_ = nullptr;
    OutputGroup *output_ = nullptr;
    QPushButton *cmdQuit_ = nullptr;
    bool loaded_ = false;
    bool activated_ = false;
    bool quitting_ = false;
    bool newTrace_ = false;      // a trace was shown that is not judged yet
    std::time_t newTraceTime_ = 0;
};

}  // namespace tavrin
