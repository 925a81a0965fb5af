// Acquisition: Start/Stop with its link check, the acquisition timer and its tick, the running
// average, Freeze, and the trace that is drawn.
#pragma once

#include "acquisition/link_status.h"
#include "instrument/tavrin_dll.h"
#include "measure/averaging.h"
#include "measure/screen_conversions.h"

#include <QWidget>
#include <string>

class QPushButton;
class QTimer;

namespace tavrin {

class UserDialogs;
struct OperationFile;

// What a procedure that talks to the analyzer needs of the acquisition: the timer held meanwhile,
// and restarted only if the acquisition still runs afterwards (Stop or Freeze may have been
// pressed meanwhile).
class AcquisitionTimer {
public:
    virtual ~AcquisitionTimer() = default;
    virtual bool Running() const = 0;
    virtual void HoldTimer() = 0;
    virtual void ResumeTimer() = 0;
};

class AcquisitionGroup : public QWidget, public AcquisitionTimer {
    Q_OBJECT
public:
    static constexpr int kTickMs = 100;

    struct Deps {
        TavrinDLL &instrument;
        UserDialogs &dialogs;
        OperationFile &settings;
    };

    // Between two attempts to reopen a lost line.
    static constexpr int kReconnectMs = 1000;

    // The timer is the child "Timer1"; the reconnection's is "TimerReconnect".
    AcquisitionGroup(Deps deps, QWidget *parent = nullptr);

    // Start-up state: zero trace, stopped, live colour.
    void Load();
    // Checks the link, takes a trace and starts the timer; nothing while running. When nothing
    // answers, the user is told why as far as the system can say.
    void Start();
    // Takes effect at once, also on a reconnection: a link check would wait behind a fetch on a
    // silent line.
    void Stop();
    // One tick of the timer: a trace fetched and shown (averaged while averaging is on). A line
    // that went silent, or gave no valid trace for a while, is reopened until it answers again.
    void Tick();
    void SetAveraging(bool on);
    // While averaging is on, the running average starts again over the settings' count.
    void RestartAverage();
    // Averaging off, stopped, and one last trace taken and drawn in the live colour.
    void Freeze();
    // Ends the acquisition for good (the program is ending).
    void Halt();
    void FocusStart();

    void SetTraceDrawColor(uint32_t color) { traceDrawColor_ = color; }
    uint32_t TraceDrawColor() const { return traceDrawColor_; }
    bool AveragingOn() const { return averagingOn_; }
    const LiveTrace &Live() const { return live_; }
    // The settings the analyzer reported with the live trace.
    const BlockReport &LiveReport() const { return liveReport_; }
    // The line as the status bar shows it.
    LinkStatus Status() const;
    // Traces taken since start-up: tells whether (and since when) a new one came.
    unsigned TracesTaken() const { return traces_; }
    bool HasTrace() const { return traces_ > 0; }
    const RunningAverage &Average() const { return average_; }

    // AcquisitionTimer. Every hold is counted: a tick whose fetch waited while a setting was
    // sent drops what it read, which may show the old setting.
    bool Running() const override { return running_; }
    void HoldTimer() override;
    void ResumeTimer() override;

signals:
    // A trace came with the analyzer's settings in its header.
    void settingsReported();
    // The trace to show changed.
    void traceChanged();
    // A trace was taken and is now the one shown (averaged while averaging is on); comes before
    // settingsReported and traceChanged.
    void traceTaken(const LiveTrace &shown);

private:
    void SetStartButton(bool running);
    // Runs the reconnection until the line answers again or the user stops.
    void LineDown();
    // One attempt to reopen the port the acquisition ran on.
    void Reconnect();

    Deps d_;
    QPushButton *cmdStart_ = nullptr;
    QPushButton *cmdAVG_ = nullptr;
    QTimer *timer1_ = nullptr;
    QTimer *retry_ = nullptr;
    LiveTrace live_{};
    BlockReport liveReport_;
    RunningAverage average_;
    uint32_t traceDrawColor_ = 0;
    bool running_ = false;
    bool averagingOn_ = false;
    bool inTick_ = false;
    unsigned traces_ = 0;
    bool starting_ = false;
    unsigned holds_ = 0;
    // Changes at every Start and Stop: a wait on the line that returns into another run is over.
    unsigned run_ = 0;
    LineWatch watch_;
    LineCounts countsAtStart_;
    bool viaLink_ = false;     // the running line was reached through the ports folder
    std::string retryDetail_;  // why the last attempt to reconnect failed
};

}  // namespace tavrin
