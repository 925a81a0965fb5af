// Acquisition: Start/Stop with its link check, the acquisition timer and its tick, the running
// average, Freeze, and the trace that is drawn.
#pragma once

#include "measure/averaging.h"
#include "acquisition/basic_group.h"
#include "measure/screen_conversions.h"

#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <string>

class QPushButton;

namespace tavrin {

class TavrinDLL;
class UserDialogs;
struct OperationFile;

struct AcquisitionControls {
    QPushButton *cmdStart = nullptr;
    QPushButton *cmdAVG = nullptr;
    QPushButton *cmdFreeze = nullptr;
};

class AcquisitionGroup : public QWidget, public AcquisitionTimer {
    Q_OBJECT
public:
    static constexpr int kTickMs = 100;

    struct Deps {
        TavrinDLL &instrument;
        UserDialogs &dialogs;
        OperationFile &settings;
        std::function<void()> followReport;  // the last block's settings on the panel, unless the user adjusts
        std::function<void()> redraw;
    };

    AcquisitionGroup(Deps deps, QWidget *parent = nullptr);

    // Start-up state: zero trace, stopped, live colour.
    void Load();
    void cmdStart_Click();
    void Timer1_Timer();
    void cmdAVG_Click();
    void cmdFreeze_Click();
    // Ends the acquisition for good (the program is ending).
    void Halt();

    void SetTraceDrawColor(uint32_t color) { traceDrawColor_ = color; }
    uint32_t TraceDrawColor() const { return traceDrawColor_; }
    bool AveragingOn() const { return averagingOn_; }
    const LiveTrace &Live() const { return live_; }
    // Traces taken since start-up: tells whether (and since when) a new one came.
    unsigned TracesTaken() const { return traces_; }
    bool HasTrace() const { return traces_ > 0; }
    const RunningAverage &Average() const { return average_; }
    QTimer &Timer1() { return timer1_; }
    const AcquisitionControls &Controls() const { return ui_; }

    // AcquisitionTimer. Every hold is counted: a tick whose fetch waited while a setting was
    // sent drops what it read, which may show the old setting.
    bool Running() const override { return running_; }
    void HoldTimer() override
    {
        timer1_.stop();
        ++holds_;
    }
    void ResumeTimer() override;

private:
    void SetStartButton(bool running);
    void StopOnFailedLine(const std::string &title, const std::string &text);
    void Stop();

    Deps d_;
    AcquisitionControls ui_;
    QTimer timer1_;
    LiveTrace live_{};
    RunningAverage average_;
    uint32_t traceDrawColor_ = 0;
    bool running_ = false;
    bool averagingOn_ = false;
    bool inTick_ = false;
    unsigned traces_ = 0;
    bool starting_ = false;
    bool reselectPort_ = false;  // the link failed: open the port afresh before the next check
    unsigned holds_ = 0;
    std::chrono::steady_clock::time_point lastValid_;
};

// The instrument answers when its serial number sorts before "99999" (ordinal comparison): this
// rejects the library's no-answer value 999999 and the value 99999.
bool SerialNumberAnswers(const std::string &serialText);

}  // namespace tavrin
