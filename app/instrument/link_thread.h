// The one thread that enters the instrument library. Calls run there one at a time, in the order
// they were asked for, so the library stays single-threaded; the asking thread waits for each one,
// and when it is the user-interface thread it keeps serving window events while it waits.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace tavrin {

class LinkThread {
public:
    using Job = std::function<void()>;

    LinkThread();
    // Stop() with a short grace; the destructor never waits on a stuck call.
    ~LinkThread();
    LinkThread(const LinkThread &) = delete;
    LinkThread &operator=(const LinkThread &) = delete;

    // Runs job on the link thread after every job asked for before it, and returns when it has
    // run: true. On the user-interface thread, window events are served meanwhile; a handler that
    // calls in turn queues behind the job in flight and resumes only when its own job is done.
    // False when the link was abandoned before the job finished: the job may still run later, so
    // it must own (share) everything it touches and never reach into the caller's frame.
    //
    // Everything the job wrote is visible to the caller once Call returned true: the link thread
    // marks the job done under the lock that the caller takes before it returns.
    bool Call(Job job);

    // From now on every waiting Call returns false at once, queued jobs are dropped and no new
    // job runs. A job already inside the library cannot be interrupted and finishes on its own.
    void Abandon();
    bool Abandoned() const;
    // Whether the link thread has a job running or queued.
    bool CallInFlight() const;

    // Abandons, then waits up to grace for the link thread to end. True when it ended and was
    // joined; false when it was left to finish its job on its own (detached).
    bool Stop(std::chrono::milliseconds grace);

private:
    struct Request;
    struct Shared;
    static void Serve(const std::shared_ptr<Shared> &shared);
    bool WaitServingEvents(Request &request);
    bool WaitBlocking(Request &request);

    std::shared_ptr<Shared> shared_;
    std::thread worker_;
};

}  // namespace tavrin
