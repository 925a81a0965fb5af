// Ctrl+C (SIGINT), SIGTERM and SIGHUP as a request to stop, taken by a thread of its own with
// sigwait: nothing runs in a signal handler, and no write of the sweep is ever interrupted. The
// first request says what the command still waits for; after the second one the command ends
// within a second, whatever it waits on.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
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
    // What the command waits for before it can stop, told at the first request ("" when nothing).
    void SetWaitingFor(std::function<std::string()> waitingFor);

    // How long after the second request the command may take to end by itself before it is
    // ended at once (exit status kEndedAtOnce).
    static constexpr std::chrono::milliseconds kGrace{800};
    static constexpr int kEndedAtOnce = 130;

private:
    void Wait();
    void EndWithin(std::chrono::milliseconds grace);

    std::atomic<int> count_{0};
    std::mutex mutex_;
    std::condition_variable stopped_;
    bool closing_ = false;
    std::function<void()> onSecond_;
    std::function<std::string()> waitingFor_;
    std::thread waiter_;
};

// Clears the stop callbacks when it goes out of scope: made after what they use, it keeps a late
// signal from calling into what is already gone, on every way out.
class StopCallbacks {
public:
    explicit StopCallbacks(StopSignals &stop) : stop_(stop) {}
    ~StopCallbacks()
    {
        stop_.SetOnSecond({});
        stop_.SetWaitingFor({});
    }
    StopCallbacks(const StopCallbacks &) = delete;
    StopCallbacks &operator=(const StopCallbacks &) = delete;

private:
    StopSignals &stop_;
};

// Opens path for writing (O_WRONLY with flags) without letting a FIFO that nobody reads hold the
// command: the open is tried again every 100 ms until a reader comes, with a note after a second,
// and a stop request ends the wait (-1, errno EINTR). Other failures: -1 with errno set.
int OpenForWritingUntilStopped(const std::string &path, int flags, StopSignals &stop);

}  // namespace tavrin::cli
