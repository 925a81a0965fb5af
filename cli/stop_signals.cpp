#include "cli/stop_signals.h"

#include <csignal>
#include <pthread.h>

namespace tavrin::cli {

namespace {

// SIGUSR2 only ends the waiting thread.
sigset_t WaitedSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGUSR2})
        sigaddset(&set, s);
    return set;
}

}  // namespace

StopSignals::StopSignals(std::function<void()> onSecond) : onSecond_(std::move(onSecond))
{
    const sigset_t set = WaitedSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    waiter_ = std::thread([this] { Wait(); });
}

StopSignals::~StopSignals()
{
    pthread_kill(waiter_.native_handle(), SIGUSR2);
    waiter_.join();
}

void StopSignals::SetOnSecond(std::function<void()> onSecond)
{
    std::lock_guard lock(mutex_);
    onSecond_ = std::move(onSecond);
}

void StopSignals::Wait()
{
    const sigset_t set = WaitedSignals();
    for (;;) {
        int signal = 0;
        if (sigwait(&set, &signal) != 0 || signal == SIGUSR2)
            return;
        std::function<void()> second;
        {
            std::lock_guard lock(mutex_);
            if (++count_ >= 2)
                second = onSecond_;
        }
        stopped_.notify_all();
        if (second)
            second();
    }
}

bool StopSignals::WaitUntil(std::chrono::steady_clock::time_point until)
{
    std::unique_lock lock(mutex_);
    return stopped_.wait_until(lock, until, [this] { return count_ > 0; });
}

}  // namespace tavrin::cli
