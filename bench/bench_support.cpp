// The bench's helpers: figures on standard output, the recorded messages, the watchdog, event
// pumping with caps, CPU time and the user-interface latency probe.
#include "bench_support.h"

#include "common/dialogs.h"
#include "support/temp_dir.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <numeric>
#include <optional>
#include <string>
#include <thread>
#include <vector>
#include <sys/resource.h>
#include <unistd.h>

namespace tavrin::bench {

using namespace std::chrono_literals;

namespace {

// What the watchdog thread needs while the main thread is stuck; guarded by mutex.
struct RunState {
    std::mutex mutex;
    std::vector<std::string> messages;
    std::string scenario;
    Clock::time_point scenarioStart = Clock::now();
    int simPid = -1;
    std::string tempRoot;
} g_run;

// Caller holds g_run.mutex.
void PrintMessagesLocked()
{
    std::printf("messages shown: %zu\n", g_run.messages.size());
    for (const std::string &m : g_run.messages)
        std::printf("  %s\n", m.c_str());
    std::fflush(stdout);
}

class RecordingDialogs : public UserDialogs {
public:
    void ShowMessage(const std::string &title, const std::string &text) override
    {
        std::lock_guard lock(g_run.mutex);
        std::string flat = text;
        std::replace(flat.begin(), flat.end(), '\n', ' ');
        char at[64];
        std::snprintf(at, sizeof at, " +%.1f s: ",
                      std::chrono::duration<double>(Clock::now() - g_run.scenarioStart).count());
        g_run.messages.push_back(g_run.scenario + at + title + ": " + flat);
    }
} g_dialogs;

// Ends the run when the main thread has not come back from one phase in time: a call that waits
// forever would otherwise keep the bench, and the simulator, alive for good.
struct Watchdog {
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<Clock::time_point> deadline;
    std::string phase;
    std::chrono::seconds limit{90};
    bool ending = false;
    std::thread thread;

    void Watch()
    {
        std::unique_lock lock(mutex);
        while (!ending) {
            if (!deadline) {
                changed.wait(lock);
                continue;
            }
            if (changed.wait_until(lock, *deadline) == std::cv_status::no_timeout || Clock::now() < *deadline)
                continue;
            std::lock_guard run(g_run.mutex);
            std::printf("watchdog: \"%s\" did not return within %lld s; the run ends here\n", phase.c_str(),
                        static_cast<long long>(limit.count()));
            PrintMessagesLocked();
            if (g_run.simPid > 0)
                kill(g_run.simPid, SIGTERM);  // the simulator removes its COM link on the way out
            std::this_thread::sleep_for(200ms);
            std::error_code ignored;
            std::filesystem::remove_all(g_run.tempRoot, ignored);
            _exit(3);
        }
    }
} g_watchdog;

// A precise single-shot timer re-armed to a 10 ms grid kept here on the steady clock, not by Qt:
// every grid point that passed before the handler ran counts once, with how late the handler
// came after it. A stalled loop so shows as the whole run of events that would have waited
// through the stall, not as the one timeout Qt delivers after skipping the missed ones. Arming
// in whole milliseconds adds under 1 ms.
class LatencyProbe {
public:
    static constexpr auto kStep = 10ms;

    LatencyProbe()
    {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setObjectName("benchLatencyProbe");  // told apart from the program's timers
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Fire(); });
        next_ = Clock::now() + kStep;
        Arm();
    }
    std::vector<double> Take()
    {
        timer_.stop();
        return std::move(lateMs_);
    }

private:
    void Arm() { timer_.start(std::max(std::chrono::ceil<std::chrono::milliseconds>(next_ - Clock::now()), 0ms)); }
    void Fire()
    {
        const auto now = Clock::now();
        for (; next_ <= now; next_ += kStep)
            lateMs_.push_back(std::chrono::duration<double, std::milli>(now - next_).count());
        Arm();
    }

    QTimer timer_;
    Clock::time_point next_;
    std::vector<double> lateMs_;
};

std::optional<LatencyProbe> g_probe;

double Percentile(std::vector<double> v, double q)
{
    std::sort(v.begin(), v.end());
    const auto rank = static_cast<size_t>(std::ceil(q * static_cast<double>(v.size())));
    return v[std::clamp<size_t>(rank, 1, v.size()) - 1];
}

}  // namespace

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The mean and the median of a few rounds of work, in ms.
std::pair<double, double> Timed(int rounds, const std::function<void()> &work)
{
    std::vector<double> took;
    for (int i = 0; i < rounds; ++i) {
        const auto t0 = Clock::now();
        work();
        took.push_back(Ms(Clock::now() - t0));
    }
    const double mean = std::accumulate(took.begin(), took.end(), 0.0) / rounds;
    std::nth_element(took.begin(), took.begin() + rounds / 2, took.end());
    return {mean, took[static_cast<size_t>(rounds / 2)]};
}

void Say(const char *format, ...)
{
    std::lock_guard lock(g_run.mutex);
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout);
}

void PrintMessages()
{
    std::lock_guard lock(g_run.mutex);
    PrintMessagesLocked();
}

UserDialogs &Dialogs() { return g_dialogs; }

void SetTempRoot(const std::string &path)
{
    std::lock_guard lock(g_run.mutex);
    g_run.tempRoot = path;
}

void SetScenario(const std::string &name, int simPid)
{
    std::lock_guard lock(g_run.mutex);
    g_run.scenario = name;
    g_run.scenarioStart = Clock::now();
    g_run.simPid = simPid;
}

void StartWatchdog(std::chrono::seconds limit)
{
    g_watchdog.limit = limit;
    g_watchdog.thread = std::thread([] { g_watchdog.Watch(); });
}

void StopWatchdog()
{
    {
        std::lock_guard lock(g_watchdog.mutex);
        g_watchdog.ending = true;
    }
    g_watchdog.changed.notify_all();
    if (g_watchdog.thread.joinable())
        g_watchdog.thread.join();
}

void Phase(const std::string &name)
{
    static const auto begin = Clock::now();
    std::fprintf(stderr, "-- %6.1f s  %s\n", std::chrono::duration<double>(Clock::now() - begin).count(), name.c_str());
    std::fflush(stderr);
    std::lock_guard lock(g_watchdog.mutex);
    g_watchdog.phase = name;
    g_watchdog.deadline = Clock::now() + g_watchdog.limit;
    g_watchdog.changed.notify_all();
}

void PumpFor(Clock::duration d)
{
    QEventLoop loop;
    QTimer::singleShot(std::chrono::ceil<std::chrono::milliseconds>(d), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

bool PumpUntil(const std::function<bool()> &done, Clock::duration cap, std::chrono::milliseconds every)
{
    if (done())
        return true;
    const auto end = Clock::now() + cap;
    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || Clock::now() >= end)
            loop.quit();
    });
    poll.start(every);
    loop.exec();
    return done();
}

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);  // every thread of ours, the link thread included
    auto seconds = [](const timeval &t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return seconds(u.ru_utime) + seconds(u.ru_stime);
}

void LatencyBegin() { g_probe.emplace(); }

std::vector<double> LatencyEnd()
{
    if (!g_probe)
        return {};
    std::vector<double> lateMs = g_probe->Take();
    g_probe.reset();
    return lateMs;
}

std::vector<double> MeasureLatency(Clock::duration d)
{
    LatencyBegin();
    PumpFor(d);
    return LatencyEnd();
}

void ReportLatency(const char *what, const std::vector<double> &lateMs)
{
    if (lateMs.empty()) {
        Say("%s: no samples\n", what);
        return;
    }
    Say("%s: p50 %.2f ms, p99 %.2f ms (max %.1f ms, %zu events due every 10 ms)\n", what, Percentile(lateMs, 0.50),
        Percentile(lateMs, 0.99), *std::max_element(lateMs.begin(), lateMs.end()), lateMs.size());
}

}  // namespace tavrin::bench
