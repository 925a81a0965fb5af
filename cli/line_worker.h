// The analyzer's line for tavrin-cli serve, on a thread of its own so that the server's event
// loop never waits on it: jobs run there one at a time in the order posted, each with the
// instrument module, and hand their results back to the event loop's thread.
#pragma once

#include "instrument/tavrin_dll.h"

#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tavrin::cli {

class LineWorker {
public:
    using Job = std::function<void(TavrinDLL &)>;

    // Results come back to home's thread (the caller's).
    explicit LineWorker(QObject &home);
    // Waits for the job that is running (the line gives up a silent wait at once); drops the rest.
    ~LineWorker();
    LineWorker(const LineWorker &) = delete;
    LineWorker &operator=(const LineWorker &) = delete;

    void Post(Job job);
    // From a job: runs back on home's thread once the job has returned.
    void Back(std::function<void()> back);
    // Runs the job and waits for it: only before the event loop runs (start-up).
    void RunNow(const Job &job);

private:
    void Loop();

    QObject &home_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool stopping_ = false;
    TavrinDLL *dll_ = nullptr;  // while the thread runs; under mutex_
    std::thread thread_;
};

}  // namespace tavrin::cli
