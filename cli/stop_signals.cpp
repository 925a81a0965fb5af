#include "cli/stop_signals.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

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
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    stopped_.notify_all();
    pthread_kill(waiter_.native_handle(), SIGUSR2);
    waiter_.join();
}

void StopSignals::SetWaitingFor(std::function<std::string()> waitingFor)
{
    std::lock_guard lock(mutex_);
    waitingFor_ = std::move(waitingFor);
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
        int count = 0;
        std::string what;
        {
            // Called under the lock: once Set... has cleared a callback, it is not running.
            std::lock_guard lock(mutex_);
            count = ++count_;
            stopped_.notify_all();
            if (count == 1 && waitingFor_)
                what = waitingFor_();
            if (count >= 2 && onSecond_)
                onSecond_();
        }
        if (!what.empty())
            std::fprintf(stderr, "tavrin-cli: stopping once %s; Ctrl+C again ends at once.\n", what.c_str());
        if (count >= 2)
            return EndWithin(kGrace);
    }
}

void StopSignals::EndWithin(std::chrono::milliseconds grace)
{
    std::unique_lock lock(mutex_);
    if (stopped_.wait_for(lock, grace, [this] { return closing_; }))
        return;
    // Stuck on something no request reaches (a write to a FIFO nobody empties, a slow disk): the
    // records are whole on the disk, what follows is given up.
    std::fputs("tavrin-cli: ended at once at the second stop request.\n", stderr);
    _exit(kEndedAtOnce);
}

bool StopSignals::WaitUntil(std::chrono::steady_clock::time_point until)
{
    std::unique_lock lock(mutex_);
    return stopped_.wait_until(lock, until, [this] { return count_ > 0; });
}

int OpenForWritingUntilStopped(const std::string &path, int flags, StopSignals &stop)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    bool told = false;
    for (;;) {
        // Without O_NONBLOCK the open of a FIFO waits for a reader where no stop request reaches it.
        const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | flags, 0666);
        if (fd >= 0) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            return fd;
        }
        if (errno != ENXIO)
            return -1;  // ENXIO: a FIFO that nobody reads yet
        if (!told && Clock::now() - start >= std::chrono::seconds(1)) {
            told = true;
            std::fprintf(stderr, "tavrin-cli: note: waiting for a program to read the FIFO %s (Ctrl+C ends the wait).\n",
                         path.c_str());
        }
        if (stop.WaitUntil(Clock::now() + std::chrono::milliseconds(100))) {
            errno = EINTR;
            return -1;
        }
    }
}

}  // namespace tavrin::cli
