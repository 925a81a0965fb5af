#include "session/line_control.h"

#include "session/line_job.h"

#include <cmath>
#include <utility>

namespace tavrin {

using namespace std::chrono_literals;

namespace {

// A block takes 177 ms on the line; one the library had to fetch again takes that twice and at
// least one read time-out (110 ms) between.
constexpr std::chrono::milliseconds kRetriedTakes{450};

std::string FailedFetchText(FetchOutcome outcome)
{
    return outcome == FetchOutcome::Silent ? kSilentLineText : kGarbledLineText;
}

}  // namespace

const char kSilentLineText[] = "the analyzer stopped answering. Check the cable and that it is switched on.";
const char kGarbledLineText[] = "the analyzer sends no valid trace: the line garbles its blocks. Check the cable and "
                                "that this is the analyzer's port (57600 baud).";

LineControl::LineControl(Deps deps, Events events)
    : d_(std::move(deps)), e_(std::move(events)), retry_(d_.timers)
{
}

LineControl::~LineControl()
{
    // A reply must never come to an object that is gone.
    for (RequestId id : {checkId_, reconnectId_})
        d_.instrument.Cancel(id);
    CancelFetches();
    if (job_)
        d_.instrument.Cancel(job_->request);
}

void LineControl::Changed()
{
    if (e_.changed)
        e_.changed();
}

void LineControl::SelectPort(int port, const std::function<bool(int)> &heldElsewhere)
{
    if (heldElsewhere && heldElsewhere(port)) {
        if (e_.problem)
            e_.problem("", "Communication port " + std::to_string(port) + " is used for another application.");
        return;
    }
    port_ = port;
    // A line opened through a link whose target is then removed is told as gone, not as the
    // built-in port the name falls back to.
    viaLink_ = port >= 1 && d_.portFacts(port).linked;
    d_.instrument.SelectPort(port, {});
    Changed();
}

void LineControl::Start(bool check)
{
    if (halted_ || phase_ == Phase::Running || phase_ == Phase::Reconnecting)
        return;
    if (!check && phase_ == Phase::Idle) {
        BeginRunning();
        return;
    }
    startAfterCheck_ = true;
    if (phase_ == Phase::Checking)
        return;  // the singles' check on the line serves Start too
    phase_ = Phase::Checking;
    Changed();
    Check(false);
}

void LineControl::Check(bool retried)
{
    checkId_ = d_.instrument.CheckLink([this, retried](const LinkCheck &c) {
        checkId_ = 0;
        CheckReplied(c, retried);
    });
}

void LineControl::CheckReplied(const LinkCheck &c, bool retried)
{
    if (c.answers) {
        serial_ = c.serial;
        phase_ = Phase::Idle;
        watch_.Answered();
        singlesChecked_ = true;
        if (std::exchange(startAfterCheck_, false)) {
            BeginRunning();
            return;
        }
        Changed();  // the check for a single trace is over: Start is offered again
        NextFetch();
        return;
    }
    ++timeouts_;
    if (!c.reason.empty())
        return CheckFailed(c.reason);
    if (!retried) {
        // The device may have gone and come back (an adapter plugged in again, the analyzer
        // switched off and on): once more on the port opened afresh.
        d_.instrument.SelectPort(port_, {});
        Check(true);
        return;
    }
    CheckFailed(DiagnosePort(d_.portFacts(port_)).message);
}

void LineControl::CheckFailed(const std::string &why)
{
    phase_ = Phase::Idle;
    const bool wasStart = std::exchange(startAfterCheck_, false);
    watch_.Failed();
    Changed();
    FinishSingles(nullptr, why);
    if (wasStart && e_.problem)
        e_.problem("Warring", why);
}

void LineControl::BeginRunning()
{
    rejectedAtStart_ = rejected_;
    timeoutsAtStart_ = timeouts_;
    viaLink_ = d_.portFacts(port_).linked;
    phase_ = Phase::Running;
    watch_.Started(d_.timers.Now());
    Changed();
    NextFetch();
}

void LineControl::Stop()
{
    const bool was = phase_ != Phase::Idle;
    phase_ = Phase::Idle;
    startAfterCheck_ = false;
    CancelLineRequests();
    watch_.Stopped(d_.timers.Now());
    if (!singles_.empty() && !singlesChecked_)
        FinishSingles(nullptr, "the acquisition was stopped");
    if (was)
        Changed();
    NextFetch();  // a single still wants its trace
}

void LineControl::CancelLineRequests()
{
    for (RequestId *id : {&checkId_, &reconnectId_})
        d_.instrument.Cancel(std::exchange(*id, 0));
    CancelFetches();
    retry_.Stop();
}

void LineControl::CancelFetches()
{
    for (RequestId id : std::exchange(fetching_, {}))
        d_.instrument.Cancel(id);
}

void LineControl::Halt()
{
    halted_ = true;
    Stop();
    FinishSingles(nullptr, "the program is ending");
    if (job_)
        d_.instrument.Cancel(job_->request);
    job_.reset();
    jobs_.clear();
}

void LineControl::Single(bool check, std::function<void(const Fetched *, const std::string &)> done)
{
    if (halted_) {
        done(nullptr, "the program is ending");
        return;
    }
    singles_.push_back({fetches_, std::move(done)});
    const bool answeredJustNow = lastTrace_ && d_.timers.Now() - *lastTrace_ < std::chrono::seconds(1);
    if (phase_ == Phase::Idle && check && !Running() && !answeredJustNow) {
        singlesChecked_ = false;
        phase_ = Phase::Checking;
        Changed();
        Check(false);
        return;
    }
    NextFetch();
}

void LineControl::FinishSingles(const Fetched *f, const std::string &why, uint64_t number)
{
    std::vector<SingleWait> done;
    for (auto it = singles_.begin(); it != singles_.end();) {
        if (!f || it->after < number) {
            done.push_back(std::move(*it));
            it = singles_.erase(it);
        } else {
            ++it;
        }
    }
    for (SingleWait &w : done)
        w.done(f, why);
}

void LineControl::NextFetch()
{
    if (halted_ || job_ || phase_ == Phase::Checking || phase_ == Phase::Reconnecting)
        return;
    const bool loop = phase_ == Phase::Running;
    if (!loop && (singles_.empty() || !singlesChecked_))
        return;
    // The line itself keeps requests at least 100 ms apart (see the instrument).
    while (fetching_.size() < (loop ? kFetchesAhead : 1)) {
        const uint64_t number = ++fetches_;
        fetching_.push_back(d_.instrument.Fetch([this, number](const Fetched &f) {
            fetching_.pop_front();  // replies come in the order asked
            FetchReplied(f, number);
        }));
    }
}

void LineControl::Count(const Fetched &f)
{
    const auto now = d_.timers.Now();
    const unsigned lost = f.rejected + (f.outcome == FetchOutcome::Trace && f.took >= kRetriedTakes ? 1 : 0);
    rejected_ += lost;
    if (lost)
        watch_.BlockLost(now);
    if (f.outcome == FetchOutcome::Silent)
        ++timeouts_;
    if (f.outcome == FetchOutcome::Trace) {
        watch_.TraceCame(now);
        lastTrace_ = now;
    }
}

void LineControl::FetchReplied(const Fetched &f, uint64_t number)
{
    Count(f);
    if (f.outcome == FetchOutcome::Trace) {
        if (phase_ == Phase::Running)
            NextFetch();  // the next block is asked for while this one is shown
        if (e_.trace)
            e_.trace(f);
        FinishSingles(&f, {}, number);
        NextFetch();  // singles that came meanwhile
        return;
    }
    if (f.outcome == FetchOutcome::Unreachable) {
        if (e_.problem && !std::exchange(reportedUnreachable_, true))
            e_.problem("", f.reason);
        FinishSingles(nullptr, f.reason);
        Stop();
        return;
    }
    if (phase_ != Phase::Running) {
        FinishSingles(nullptr, FailedFetchText(f.outcome));
        return;
    }
    // A silent line (cable pulled, analyzer off) would hold every request for the line's
    // time-outs; a line that answers with nothing usable (wrong device, wrong speed, a noisy
    // cable) would leave an empty screen under a lit Stop button.
    if (f.outcome == FetchOutcome::Silent || watch_.Lost(d_.timers.Now()))
        LineDown(FailedFetchText(f.outcome));
    else
        NextFetch();
}


void LineControl::LineDown(const std::string &why)
{
    CancelFetches();  // the one asked behind would wait out the same silence
    if (!reconnect_) {
        phase_ = Phase::Idle;
        CancelLineRequests();
        watch_.Stopped(d_.timers.Now());
        Changed();
        FinishSingles(nullptr, why);
        if (e_.problem)
            e_.problem("", why);
        return;
    }
    phase_ = Phase::Reconnecting;
    watch_.SetReconnecting(true, d_.timers.Now());
    retryDetail_.clear();
    retry_.Start(kReconnectEvery, [this] { Reconnect(); });
    Changed();
}

void LineControl::Reconnect()
{
    // Nothing is opened while the system already says why it would fail; and a port that led
    // through the ports folder is not handed to the built-in port behind its name when its link
    // has gone (the simulator's line, unplugged).
    const PortFacts facts = d_.portFacts(port_);
    const PortDiagnosis why = DiagnosePort(facts);
    if ((viaLink_ && !facts.linked) || why.cause != PortCause::NoAnswer) {
        retryDetail_ = viaLink_ && !facts.linked ? "device missing" : why.summary;
        retry_.Start(kReconnectEvery, [this] { Reconnect(); });
        Changed();
        return;
    }
    d_.instrument.SelectPort(port_, {});
    reconnectId_ = d_.instrument.CheckLink([this, summary = why.summary](const LinkCheck &c) {
        reconnectId_ = 0;
        ReconnectReplied(c, summary);
    });
}

void LineControl::ReconnectReplied(const LinkCheck &c, const std::string &why)
{
    if (!c.answers) {
        ++timeouts_;
        retryDetail_ = why;
        retry_.Start(kReconnectEvery, [this] { Reconnect(); });
        Changed();
        return;
    }
    retryDetail_.clear();
    phase_ = Phase::Running;
    watch_.SetReconnecting(false, d_.timers.Now());
    Changed();
    NextFetch();
}

LinkStatus LineControl::Status() const
{
    const auto now = d_.timers.Now();
    LinkStatus s;
    s.port = port_;
    s.device = d_.portText(port_, viaLink_);
    s.state = phase_ == Phase::Checking ? LinkState::Checking : watch_.State(now);
    if (s.state == LinkState::Checking) {
        s.detail = "waiting for the analyzer's answer";
        if (const auto by = d_.instrument.FreeBy(); by && *by - now > 2s)
            s.detail += ", up to " + std::to_string(std::chrono::ceil<std::chrono::seconds>(*by - now).count()) + " s";
    } else if (s.state == LinkState::Reconnecting) {
        s.detail = retryDetail_;
    }
    s.tracesPerSecond = watch_.TracesPerSecond(now);
    s.slow = watch_.Slow(now);
    s.rejected = rejected_ - rejectedAtStart_;
    s.timeouts = timeouts_ - timeoutsAtStart_;
    return s;
}

}  // namespace tavrin
