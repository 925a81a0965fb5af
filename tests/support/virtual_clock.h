// Timers in virtual time: nothing runs until the test moves the clock, and then everything due runs
// in time order, with the clock at each one's time. No sleep, no wall clock.
#pragma once

#include "common/timers.h"

#include <map>
#include <tuple>

namespace tavrin::test {

class VirtualClock : public Timers {
public:
    Clock::time_point Now() const override { return now_; }
    Id After(std::chrono::milliseconds delay, std::function<void()> run) override;
    void Cancel(Id id) override;

    // Runs everything due within d from now, then leaves the clock at now + d.
    void Advance(std::chrono::milliseconds d);
    // Runs what is due, one at a time, until pred holds or limit has passed: whether it held.
    bool RunUntil(const std::function<bool()> &pred, std::chrono::milliseconds limit);
    // Milliseconds since the clock was made.
    long long Ms() const;
    size_t Pending() const { return queue_.size(); }

private:
    Clock::time_point start_ = Clock::time_point(std::chrono::hours(1));
    Clock::time_point now_ = start_;
    Id next_ = 1;
    // (due, id): ids grow, so equal times run in the order they were set.
    std::map<std::pair<Clock::time_point, Id>, std::function<void()>> queue_;
};

}  // namespace tavrin::test
