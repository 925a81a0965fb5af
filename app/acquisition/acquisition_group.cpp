#include "acquisition/acquisition_group.h"

#include "common/dialogs.h"
#include "instrument/port_diagnosis.h"
#include "settings/operation_file.h"
#include "widgets/panel_widgets.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>
#include <algorithm>
#include <chrono>

namespace tavrin {

using Clock = std::chrono::steady_clock;

AcquisitionGroup::AcquisitionGroup(Deps deps, QWidget *parent) : QWidget(parent), d_(std::move(deps))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    cmdStart_ = Button(this, "cmdStart", "Start");
    cmdAVG_ = Button(this, "cmdAVG", "AVG  ON");
    QPushButton *cmdFreeze = Button(this, "cmdFreeze", "Freeze");
    for (QPushButton *b : {cmdStart_, cmdAVG_, cmdFreeze})
        row->addWidget(b);
    connect(cmdStart_, &QPushButton::clicked, this, [this] { running_ ? Stop() : Start(); });
    connect(cmdAVG_, &QPushButton::clicked, this, [this] { SetAveraging(!averagingOn_); });
    connect(cmdFreeze, &QPushButton::clicked, this, &AcquisitionGroup::Freeze);
    timer1_ = new QTimer(this);
    timer1_->setObjectName("Timer1");
    timer1_->setInterval(kTickMs);
    connect(timer1_, &QTimer::timeout, this, &AcquisitionGroup::Tick);
    retry_ = new QTimer(this);
    retry_->setObjectName("TimerReconnect");
    retry_->setSingleShot(true);
    retry_->setInterval(kReconnectMs);
    connect(retry_, &QTimer::timeout, this, &AcquisitionGroup::Reconnect);
}

void AcquisitionGroup::Load()
{
    live_.fill(0);
    traces_ = 0;
    running_ = false;
    timer1_->stop();
    SetStartButton(false);
}

void AcquisitionGroup::SetStartButton(bool running)
{
    cmdStart_->setText(running ? "Stop" : "Start");
    cmdStart_->setStyleSheet(running ? "background-color: rgb(0, 255, 0);" : "background-color: rgb(255, 0, 0);");
    cmdStart_->setToolTip(running ? "Stop To Show Trace" : "Start To Show Trace");
}

void AcquisitionGroup::FocusStart() { cmdStart_->setFocus(); }

void AcquisitionGroup::HoldTimer()
{
    timer1_->stop();
    ++holds_;
}

void AcquisitionGroup::ResumeTimer()
{
    // While the line is being reopened the reconnection restarts the ticks.
    if (running_ && !watch_.Reconnecting())
        timer1_->start(kTickMs);
}

void AcquisitionGroup::Stop()
{
    running_ = false;
    ++run_;
    timer1_->stop();
    retry_->stop();
    watch_.Stopped(Clock::now());
    SetStartButton(false);
}

void AcquisitionGroup::Start()
{
    if (running_ || starting_)
        return;  // also a second click while the first one still waits on the line
    const QScopedValueRollback guard(starting_, true);
    BusyPointer busy;
    ++run_;  // a tick of the run before, still waiting on the line, ends without effect
    // The link check comes first: a fetch from a silent line would hold the program for the
    // library's full read time-outs before the user learns that nothing answers. A failed check
    // is made once more on the port opened afresh: the device may have gone and come back (an
    // adapter plugged in again, the instrument switched off and on).
    bool answers = SerialNumberAnswers(d_.instrument.SerialNumText());
    if (!answers) {
        d_.instrument.SelectComPort(d_.settings.ComPortSetting);
        answers = SerialNumberAnswers(d_.instrument.SerialNumText());
    }
    if (!answers) {
        watch_.Failed();
        d_.dialogs.ShowMessage("Warring", DiagnosePort(d_.instrument.ComPort()).message);
        return;
    }
    countsAtStart_ = d_.instrument.Counts();
    viaLink_ = GatherPortFacts(d_.instrument.ComPort()).linked;
    d_.instrument.FetchTrace();
    // A rejected block carries no settings: the panel keeps its own.
    if (d_.instrument.FetchTrace())
        emit settingsReported();
    emit traceChanged();

    running_ = true;
    watch_.Started(Clock::now());
    traceDrawColor_ = d_.settings.Colors.Trace;
    timer1_->start(kTickMs);
    SetStartButton(true);
}

void AcquisitionGroup::Tick()
{
    // FetchTrace serves window events while it waits, and a QTimer can fire inside it.
    if (inTick_)
        return;
    inTick_ = true;
    // Ticks start at least 100 ms apart, and back to back when a tick takes longer (it always
    // does: one trace transfer alone takes longer).
    const auto started = std::chrono::steady_clock::now();
    struct Leave {
        AcquisitionGroup &group;
        std::chrono::steady_clock::time_point started;
        ~Leave()
        {
            group.inTick_ = false;
            if (group.timer1_->isActive()) {
                const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now() - started).count();
                group.timer1_->start(static_cast<int>(std::max<long long>(0, kTickMs - took)));
            }
        }
    } leave{*this, started};

    const unsigned holds = holds_, run = run_;
    const bool fetched = d_.instrument.FetchTrace();
    if (run != run_)
        return;  // stopped (and maybe started again) while the fetch waited
    if (!fetched) {
        // A silent line (cable pulled, instrument off) would hold every tick for the line's
        // time-outs; a line that answers with nothing usable (wrong device, wrong speed, a noisy
        // cable) would leave an empty screen under a lit Stop button.
        if (d_.instrument.LastFetchSilent() || watch_.Lost(Clock::now()))
            LineDown();
        return;  // the last trace stays on screen
    }
    watch_.TraceCame(Clock::now());
    if (holds != holds_)
        return;  // a setting was sent meanwhile: this trace may show the old one
    const LiveTrace &points = d_.instrument.Trace().points;
    if (averagingOn_)
        average_.Add(points, live_);
    else
        live_ = points;
    liveReport_ = d_.instrument.Report();
    ++traces_;
    emit traceTaken(live_);
    emit settingsReported();
    emit traceChanged();
    LetEventsRun();
}

void AcquisitionGroup::SetAveraging(bool on)
{
    if (on == averagingOn_)
        return;
    BusyPointer busy;
    averagingOn_ = on;
    cmdAVG_->setText(on ? "AVG OFF" : "AVG  ON");
    if (on)
        average_.Restart(d_.settings.AverageCount);
}

void AcquisitionGroup::RestartAverage()
{
    if (averagingOn_)
        average_.Restart(d_.settings.AverageCount);
}

void AcquisitionGroup::Freeze()
{
    BusyPointer busy;
    timer1_->stop();
    SetAveraging(false);
    if (running_)
        Stop();
    traceDrawColor_ = d_.settings.Colors.Trace;
    Tick();
}

void AcquisitionGroup::Halt()
{
    running_ = false;
    ++run_;
    timer1_->stop();
    retry_->stop();
    ++holds_;  // a tick still waiting on the line shows nothing more
}

}  // namespace tavrin
