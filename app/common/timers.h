// Time and timers as the acquisition sees them: a steady clock and callbacks after a delay, run
// later on the owner's thread. The program's are Qt's timers; tests run them in virtual time.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <utility>

namespace tavrin {

class Timers {
public:
    using Clock = std::chrono::steady_clock;
    using Id = uint64_t;

    virtual ~Timers() = default;
    virtual Clock::time_point Now() const = 0;
    // run, once, no earlier than delay from now and never inside this call.
    virtual Id After(std::chrono::milliseconds delay, std::function<void()> run) = 0;
    // It will not run. Unknown, run or cancelled ids (and 0) are ignored.
    virtual void Cancel(Id id) = 0;
};

// A timer that is cancelled when it goes, and when set again.
class OneTimer {
public:
    explicit OneTimer(Timers &timers) : timers_(timers) {}
    ~OneTimer() { Stop(); }
    OneTimer(const OneTimer &) = delete;
    OneTimer &operator=(const OneTimer &) = delete;

    void Start(std::chrono::milliseconds delay, std::function<void()> run)
    {
        Stop();
        id_ = timers_.After(delay, [this, run = std::move(run)] {
            id_ = 0;
            run();
        });
    }
    void Stop() { timers_.Cancel(std::exchange(id_, 0)); }
    bool Active() const { return id_ != 0; }

private:
    Timers &timers_;
    Timers::Id id_ = 0;
};

}  // namespace tavrin
