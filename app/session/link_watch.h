// The state of the line to the analyzer as the acquisition judges it, and its words for the
// status bar. The judgement runs on the clock, not on the library: a request waiting out its read
// time-outs cannot say that it waits, but the time since the last trace can.
#pragma once

#include <chrono>
#include <deque>
#include <string>

namespace tavrin {

enum class LinkState { NotConnected, Connected, Checking, Acquiring, NoAnswer, LineLost, Reconnecting };

// A trace block is 1018 bytes at 5760 bytes a second: the most traces a second the line carries.
inline constexpr double kLineTracesPerSecond = 5760.0 / 1018.0;

// What the status bar shows; counts are since the last Start.
struct LinkStatus {
    int port = 0;
    std::string device;  // what the COM port leads to
    LinkState state = LinkState::NotConnected;
    std::string detail;  // why a reconnection has not succeeded yet; what a check waits for
    double tracesPerSecond = 0;
    bool slow = false;   // acquiring for a while well below what the line carries: blocks are lost
    unsigned rejected = 0;
    unsigned timeouts = 0;
};

std::string StateText(LinkState state);
// "COM1: /dev/ttyUSB0 | acquiring | 5.6 traces/s | rejected 0 | time-outs 0"
std::string StatusText(const LinkStatus &status);

class LineWatch {
public:
    using Clock = std::chrono::steady_clock;
    // A trace comes about every 0.2 s: one that has not come for a second is late...
    static constexpr std::chrono::milliseconds kNoAnswer{1000};
    // ... and after three seconds without one the line is lost.
    static constexpr std::chrono::milliseconds kLost{3000};
    static constexpr std::chrono::milliseconds kRateWindow{3000};

    // The acquisition runs: the line answered at now.
    void Started(Clock::time_point now);
    // It stopped; the line counts as connected when it was delivering traces.
    void Stopped(Clock::time_point now);
    // A link check found no answer.
    void Failed();
    // A link check while stopped (for a single trace) found the analyzer answering.
    void Answered() { connected_ = true; }
    void TraceCame(Clock::time_point now);
    // A block was lost on the way: refused, or fetched again by the library (it took too long).
    void BlockLost(Clock::time_point now);
    // The port is being reopened, or (off) it answered again at now.
    void SetReconnecting(bool on, Clock::time_point now);

    bool Running() const { return running_; }
    bool Reconnecting() const { return reconnecting_; }
    // Running, and no trace for kLost.
    bool Lost(Clock::time_point now) const;
    LinkState State(Clock::time_point now) const;
    // Traces in the last kRateWindow (or since the start, when that is shorter, but at least a
    // second) per second; 0 while stopped.
    double TracesPerSecond(Clock::time_point now) const;
    // Acquiring for a whole rate window at under 80 % of what the line carries, with blocks lost
    // in that window (not a user who holds the line with settings).
    bool Slow(Clock::time_point now) const;

private:
    bool running_ = false;
    bool connected_ = false;
    bool reconnecting_ = false;
    Clock::time_point started_;
    Clock::time_point lastTrace_;
    std::deque<Clock::time_point> recent_;
    Clock::time_point lastLoss_{};
};

}  // namespace tavrin
