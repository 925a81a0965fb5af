// The one thread that enters the instrument library. Jobs run there one at a time, in the order
// they were posted, so the library stays single-threaded; nobody waits for them: a job hands its
// result on by itself.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

namespace tavrin {

class RequestQueue {
public:
    using Clock = std::chrono::steady_clock;
    // A job sees its cancelled flag, so a job of several library calls can stop between them.
    using Job = std::function<void(const std::atomic<bool> &cancelled)>;

    RequestQueue();
    // Stop() with a short grace; never waits on a job stuck on a silent line.
    ~RequestQueue();
    RequestQueue(const RequestQueue &) = delete;
    RequestQueue &operator=(const RequestQueue &) = delete;

    // Queues the job; worst is how long it may take at most (the library's time-outs on a silent
    // line), for FreeBy. Returns its id (0 once abandoned: the job never runs).
    uint64_t Post(Job job, std::chrono::milliseconds worst);
    // A queued job is dropped; a running one has its flag set. False for an unknown id.
    bool Cancel(uint64_t id);
    bool Busy() const;
    std::optional<Clock::time_point> FreeBy() const;
    // How long the job on the line has been running (zero when none is).
    Clock::duration RunningFor() const;

    // From now on nothing more runs: queued jobs are dropped, new ones refused. A job inside the
    // library cannot be interrupted and finishes on its own.
    void Abandon();
    bool Abandoned() const;
    // Abandons, then waits up to grace for the thread to end: true when it ended and was joined,
    // false when it was left to finish its job on its own (detached).
    bool Stop(std::chrono::milliseconds grace);

private:
    struct Shared;
    static void Serve(const std::shared_ptr<Shared> &shared);

    std::shared_ptr<Shared> shared_;
    std::thread worker_;
};

}  // namespace tavrin
