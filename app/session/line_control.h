// The acquisition on the line: Start with its link check, the fetch loop that asks for the next
// trace as soon as a block is in (at most one request every 100 ms), Stop, single traces, the lost
// line's reconnection, and jobs (settings and generator commands) that hold the fetch loop while
// they talk to the analyzer. Nothing here waits: every request's reply comes back as a call.
#pragma once

#include "common/timers.h"
#include "instrument/instrument.h"
#include "instrument/port_diagnosis.h"
#include "session/link_watch.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tavrin {

// One step of a job. Confirm reads traces until one reports what `matches` wants: at most
// kMaxConfirmReads, and none after a read that found the line silent.
struct JobStep {
    enum class What { Send, Generator, Pause, Confirm };
    What what = What::Pause;
    SettingCommand setting;
    GeneratorCommand generator;
    std::chrono::milliseconds pause{0};
    std::function<bool(const AnalyzerSettings &)> matches;
};

struct JobResult {
    int reads = 0;           // traces the confirmation read
    bool confirmed = false;  // the last of them reported the setting
    bool silent = false;     // a read found the line silent
    AnalyzerSettings reported;  // what the last read reported
};

// Why a trace did not come: the line said nothing, or only garbage.
extern const char kSilentLineText[];
extern const char kGarbledLineText[];

inline constexpr int kConfirmPauseMs = 200;
inline constexpr int kMaxConfirmReads = 6;

class LineControl {
public:
    static constexpr std::chrono::milliseconds kReconnectEvery{1000};
    // Trace requests the acquisition keeps asked: the next one waits behind the one on the line,
    // so that it goes out the moment the block before it is in, however busy the window is.
    static constexpr size_t kFetchesAhead = 2;

    struct Deps {
        Instrument &instrument;
        Timers &timers;
        std::function<PortFacts(int port)> portFacts = [](int port) { return GatherPortFacts(port); };
        std::function<std::string(int port, bool throughLink)> portText = PortTargetText;
    };
    struct Events {
        std::function<void(const Fetched &)> trace;  // a valid trace of the acquisition or a single
        std::function<void()> changed;               // the state, or what the status bar says
        std::function<void(const std::string &title, const std::string &text)> problem;
    };

    LineControl(Deps deps, Events events);
    ~LineControl();
    LineControl(const LineControl &) = delete;
    LineControl &operator=(const LineControl &) = delete;

    // The COM port to use: selected now (unless another program holds it: told instead).
    void SelectPort(int port, const std::function<bool(int)> &heldElsewhere = {});
    // A lost line is reopened until it answers (the program), or the acquisition ends with a
    // problem told (tavrin-cli).
    void SetReconnect(bool on) { reconnect_ = on; }

    // Checks the link (unless it was just checked), then fetches until Stop. Nothing while it runs
    // or checks already.
    void Start(bool check = true);
    // Takes effect at once: nothing more is asked, and a block still arriving is dropped. A
    // Start still waiting for its check is given up.
    void Stop();
    // One fresh trace (asked after this call), given to done (null on failure, with why); with
    // check, the link is checked first when the acquisition is not running and no trace came in
    // the last second.
    void Single(bool check, std::function<void(const Fetched *, const std::string &why)> done);
    // Runs the steps in order with the fetch loop held; jobs run one after another.
    void RunJob(std::vector<JobStep> steps, std::function<void(const JobResult &)> done = {});
    // The program is ending: nothing more is asked.
    void Halt();

    bool Running() const { return watch_.Running(); }
    bool Checking() const { return phase_ == Phase::Checking; }
    bool JobsPending() const { return job_ != nullptr; }
    LinkStatus Status() const;
    int Port() const { return port_; }
    // The serial number the last link check that found the analyzer read.
    const std::string &Serial() const { return serial_; }
    // Library calls made and blocks lost since the program started.
    unsigned Rejected() const { return rejected_; }
    unsigned Timeouts() const { return timeouts_; }

private:
    enum class Phase { Idle, Checking, Running, Reconnecting };
    struct Job;
    struct SingleWait {
        uint64_t after = 0;  // the fetch on the line when it was asked: too old for it
        std::function<void(const Fetched *, const std::string &)> done;
    };

    void Check(bool retried);
    void CheckReplied(const LinkCheck &check, bool retried);
    void CheckFailed(const std::string &why);
    void BeginRunning();
    void NextFetch();
    void FetchReplied(const Fetched &f, uint64_t number);
    void Count(const Fetched &f);
    void LineDown(const std::string &why);
    void Reconnect();
    void ReconnectReplied(const LinkCheck &check, const std::string &why);
    void CancelLineRequests();
    void CancelFetches();
    // Gives the waiting singles their trace (those asked before fetch `number` went out), or
    // tells them all why none comes (f null).
    void FinishSingles(const Fetched *f, const std::string &why, uint64_t number = 0);
    void StartJob();
    void RunStep();
    void StepDone();
    void ConfirmReplied(const Fetched &f);
    void Changed();

    Deps d_;
    Events e_;
    Phase phase_ = Phase::Idle;
    LineWatch watch_;
    bool reconnect_ = true;
    bool halted_ = false;
    int port_ = 0;
    std::string serial_;
    RequestId checkId_ = 0, reconnectId_ = 0;
    std::deque<RequestId> fetching_;  // asked and not answered, oldest first
    std::optional<Timers::Clock::time_point> lastTrace_;
    OneTimer retry_;      // the next attempt to reopen a lost line
    std::string retryDetail_;
    bool viaLink_ = false;  // the running line was reached through the ports folder
    unsigned rejected_ = 0, timeouts_ = 0;
    unsigned rejectedAtStart_ = 0, timeoutsAtStart_ = 0;
    std::vector<SingleWait> singles_;   // waiting for a trace asked after them
    bool singlesChecked_ = true;        // the link was checked for them (or need not be)
    bool startAfterCheck_ = false;      // the check on the line is Start's, not only the singles'
    uint64_t fetches_ = 0;              // fetches asked so far; the one on the line is the last
    std::unique_ptr<Job> job_;
    std::deque<std::unique_ptr<Job>> jobs_;
    bool reportedUnreachable_ = false;
};

}  // namespace tavrin
