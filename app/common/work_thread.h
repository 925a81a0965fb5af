// One thread for file work the window must not wait on: a record synced to a busy or slow disk
// (a USB stick) can take a tenth of a second and more. Jobs run one at a time in the order they
// were posted; the destructor runs what is still queued before it returns, so nothing handed
// over is lost.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tavrin {

class WorkThread {
public:
    WorkThread();
    ~WorkThread();
    WorkThread(const WorkThread &) = delete;
    WorkThread &operator=(const WorkThread &) = delete;

    void Post(std::function<void()> job);

private:
    void Serve();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool ending_ = false;
    std::thread thread_;  // last: starts once the rest is there
};

}  // namespace tavrin
