// Ctrl+C (SIGINT), SIGTERM and SIGHUP as a request to stop, taken by a thread of its own with
// sigwait: nothing runs in a signal handler, and no write of the sweep is ever interrupted.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tavrin::cli {

class StopSignals {
public:
    // Blocks the signals in the calling thread and so in every thread it starts later (make this
    // before the instrument's link thread), then waits for them on a thread of its own. The
    // second signal also calls onSecond, there, e.g. to give up waiting on a silent line.
    explicit StopSignals(std::function<void()> onSecond = {});
    ~StopSignals();
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;

    bool Requested() const { return count_ > 0; }
    // The second request: every wait ends at once.
    bool Insisted() const { return count_ > 1; }
    // Waits until the time or a stop request, whichever comes first; true on a stop request.
    bool WaitUntil(std::chrono::steady_clock::time_point until);
    void SetOnSecond(std::function<void()> onSecond);

private:
    void Wait();

    std::atomic<int> count_{0};
    std::mutex mutex_;
    std::condition_variable stopped_;
    std::function<void()> onSecond_;
    std::thread waiter_;
};

}  // namespace tavrin::cli
