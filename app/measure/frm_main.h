// The control panel: start-up, the Start/Stop link check, the acquisition tick with its running
// average, Freeze, Quit, and the redraw of the display window.
#pragma once

#include "common/dialogs.h"
#include "instrument/tavrin_dll.h"
#include "markers/limit_lines.h"
#include "markers/markers.h"
#include "measure/averaging.h"
#include "measure/measure_setting.h"
#include "measure/measurement_state.h"
#include "measure/screen_view.h"
#include "settings/operation_file.h"

#include <QTimer>
#include <QWidget>
#include <array>
#include <ctime>
#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tavrin {

class FrmCRT;
class Spinner;

// The panel's controls, named as the rest of the program refers to them.
struct PanelControls {
    QGroupBox *fraBasic = nullptr;
    QLineEdit *txtCenterFreq = nullptr;
    Spinner *updCenterFreq = nullptr;
    QComboBox *cboSpan = nullptr;
    Spinner *updSpan = nullptr;
    QComboBox *cboRefLevel = nullptr;
    Spinner *updRefLevel = nullptr;
    QComboBox *cboRBW = nullptr;
    Spinner *updRBW = nullptr;

    QGroupBox *fraMarker = nullptr;
    std::array<QCheckBox *, kMarkerCount> chkMKR{};
    std::array<QLineEdit *, kMarkerCount> txtMKR{};
    std::array<Spinner *, kMarkerCount> updMKR{};
    std::array<QComboBox *, kMarkerCount> cboMKR{};
    QPushButton *cmdPeak = nullptr;

    QGroupBox *fraLimit = nullptr;
    std::array<QCheckBox *, 2> chkLim{};
    std::array<QComboBox *, 2> cboLim{};

    QGroupBox *fraRecord = nullptr;
    QPushButton *cmdRecord = nullptr;
    QPushButton *cmdPlayRecord = nullptr;
    QPushButton *cmdLoadRecord = nullptr;
    QPushButton *cmdSaveRecord = nullptr;

    QGroupBox *fraTG = nullptr;
    QPushButton *cmdTGMode = nullptr;
    QLineEdit *txtTGLevel = nullptr;
    Spinner *updTGLevel = nullptr;
    QLineEdit *txtTGOffset = nullptr;
    Spinner *updTGOffset = nullptr;
    QPushButton *cmdTGON = nullptr;
    QPushButton *cmdNormal = nullptr;

    QPushButton *cmdStart = nullptr;
    QPushButton *cmdAVG = nullptr;
    QPushButton *cmdFreeze = nullptr;
    QPushButton *cmdShutter = nullptr;
    QPushButton *cmdPrint = nullptr;
    QPushButton *cmdQuit = nullptr;
};

class FrmMain : public QWidget, public MeasurePanel {
    Q_OBJECT
public:
    struct Services {
        TavrinDLL &instrument;
        UserDialogs &dialogs;
        OperationFile &settings;
        FrmCRT &display;
        std::string operationFilePath;
        std::function<bool(int port)> portInUse;
        std::function<void()> quit;  // ends the program
    };

    static constexpr int kTickMs = 100;

    FrmMain(Services services, QWidget *parent = nullptr);
    ~FrmMain() override;

    // Form events and handlers.
    void FormLoad();
    void FormActivate();
    void cmdStart_Click();
    void Timer1_Timer();
    void cmdAVG_Click();
    void cmdFreeze_Click();
    void cmdQuit_Click();
    void FormUnload();

    // Measurement controls: each sends one setting and reads traces until the analyzer reports
    // it (at most six reads), with the acquisition timer stopped meanwhile.
    void CenterFreqEntered();
    void ApplyCenterFreq();
    void ApplySpan();
    void ApplyRefLevel();
    void ApplyRBW();
    // Markers and limit lines.
    void cmdPeak_Click();
    void RefreshLimitSelector();
    void LimitChosen(int line);

    // Redraw of the display window: clear, frame, trace.
    void RedrawDisplay();
    void DrawScreen(DrawingSurface &surface);
    // The panel's current settings, read from its controls.
    const MeasurementState &State();

    bool Running() const { return running_; }
    bool LinkOk() const { return linkOk_; }
    bool Activated() const { return activated_; }
    bool AveragingOn() const { return averagingOn_; }
    bool UserAdjusting() const { return userAdjusting_; }
    const LiveTrace &Live() const { return live_; }
    const RunningAverage &Average() const { return average_; }
    const MarkerReadings &Readings() const { return readings_; }
    std::time_t ScreenTime() const { return screenTime_; }
    QTimer &Timer1() { return timer1_; }
    const PanelControls &Controls() const { return ui_; }
    uint32_t TraceDrawColor() const { return traceDrawColor_; }
    const LimitLines &Limits() const { return limits_; }
    // Traces read by the last apply procedure.
    int LastApplyReads() const { return lastApplyReads_; }

    // MeasurePanel
    bool CenterFreqHasFocus() const override;
    void SetCenterFreqText(const std::string &text) override;
    void SetRefLevelPosition(int index) override;
    void SetSpanPosition(int index) override;
    void SetRbwPosition(int index) override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void BuildControls();
    ScreenView MakeViewFor();
    void ConnectControls();
    void TGFrameEnable(bool enabled);
    void SetStartButton(bool running);
    ReportedSettings Reported();
    void StopOnLostLink();
    void LabelDropped(int index, double x);
    bool SaveSettings();
    // Reads one trace, then up to five more while the analyzer's report does not match.
    void ConfirmByReports(const std::function<bool()> &reportedMatches);
    void MarkerStep(int index, int position);

    Services s_;
    PanelControls ui_;
    QTimer timer1_;
    MeasurementState state_;
    LiveTrace live_{};
    LiveTrace play_{};
    LimitLines limits_ = InitialLimitLines();
    MarkerControls markers_{};
    MarkerReadings readings_{};
    RunningAverage average_;
    std::time_t screenTime_ = 0;
    uint32_t traceDrawColor_ = 0;
    bool running_ = false;
    bool linkOk_ = false;
    bool loaded_ = false;
    bool activated_ = false;
    bool averagingOn_ = false;
    bool userAdjusting_ = false;
    bool inTick_ = false;
    bool quitting_ = false;
    int lastApplyReads_ = 0;
};

// The instrument answers when its serial number sorts before "99999" (ordinal comparison): this
// rejects the library's no-answer value 999999 and the value 99999.
bool SerialNumberAnswers(const std::string &serialText);

}  // namespace tavrin
