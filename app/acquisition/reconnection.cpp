// The lost line: reopened about once a second, without a message (nobody may be at the bench),
// until it answers again or the user stops; and the line's state for the status bar.
#include "acquisition/acquisition_group.h"

#include "instrument/port_diagnosis.h"
#include "settings/operation_file.h"

#include <QTimer>

namespace tavrin {

using Clock = std::chrono::steady_clock;

void AcquisitionGroup::LineDown()
{
    if (!running_ || watch_.Reconnecting())
        return;
    timer1_->stop();
    watch_.SetReconnecting(true, Clock::now());
    retryDetail_.clear();
    retry_->start();
}

void AcquisitionGroup::Reconnect()
{
    if (!running_)
        return;
    const unsigned run = run_;
    const int16_t port = d_.instrument.ComPort();
    // Nothing is opened while the system already says why it would fail; and a port that led
    // through the ports folder is not handed to the built-in port behind its name when its link
    // has gone (the simulator's line, unplugged).
    const PortFacts facts = GatherPortFacts(port);
    const PortDiagnosis why = DiagnosePort(facts);
    if ((viaLink_ && !facts.linked) || why.cause != PortCause::NoAnswer) {
        retryDetail_ = viaLink_ && !facts.linked ? "device missing" : why.summary;
        retry_->start();
        return;
    }
    d_.instrument.SelectComPort(port);
    const bool answers = SerialNumberAnswers(d_.instrument.SerialNumText());
    if (run != run_)
        return;  // stopped while the check waited
    if (!answers) {
        retryDetail_ = why.summary;
        retry_->start();
        return;
    }
    retryDetail_.clear();
    watch_.SetReconnecting(false, Clock::now());
    timer1_->start(0);
}

LinkStatus AcquisitionGroup::Status() const
{
    const auto now = Clock::now();
    LinkStatus s;
    s.port = d_.instrument.ComPort() ? d_.instrument.ComPort() : d_.settings.ComPortSetting;
    s.device = PortTargetText(s.port);
    // Inside a tick with no call in flight, a modal window opened during the fetch's wait holds
    // the tick; between ticks the next request is due at once.
    s.state = watch_.State(now, !inTick_ || d_.instrument.CallInFlight());
    s.detail = retryDetail_;
    s.tracesPerSecond = watch_.TracesPerSecond(now);
    const LineCounts &counts = d_.instrument.Counts();
    s.rejected = counts.rejected - countsAtStart_.rejected;
    s.timeouts = counts.timeouts - countsAtStart_.timeouts;
    return s;
}

}  // namespace tavrin
