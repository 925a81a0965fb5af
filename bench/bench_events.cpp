// Where the window thread's time goes: every event it delivers while watched, timed on the wall
// clock and on the thread's own CPU clock, grouped by what received it. A delivery that took long
// on the wall but little CPU waited (for the disk, or for a core on a busy machine).
#include "bench_support.h"

#include <QEvent>
#include <QMetaEnum>
#include <QThread>

#include <algorithm>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace tavrin::bench {

namespace {

struct Group {
    int count = 0;
    double wallMs = 0;
    double cpuMs = 0;
    double longestMs = 0;
    double longestCpuMs = 0;
};

struct Watch {
    bool on = false;
    int depth = 0;  // deliveries inside a delivery (a nested loop) count in their outer one
    std::map<std::string, Group> groups;
} g_watch;

double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// "tavrin::ControlPanel 'frmMain': MetaCall"; an object without a name by its parent's class.
std::string Describe(const char *className, const QString &objectName, const char *parentClass, QEvent::Type type)
{
    std::string what = className;
    if (!objectName.isEmpty())
        what += " '" + objectName.toStdString() + "'";
    else if (parentClass)
        what += std::string(" in ") + parentClass;
    const char *key = QMetaEnum::fromType<QEvent::Type>().valueToKey(type);
    return what + ": " + (key ? key : std::to_string(static_cast<int>(type)));
}

}  // namespace

bool BenchApplication::notify(QObject *receiver, QEvent *event)
{
    if (!g_watch.on || g_watch.depth > 0 || QThread::currentThread() != thread())
        return QApplication::notify(receiver, event);
    // Read before the delivery: the receiver or the event may be gone after it.
    const std::string what = Describe(receiver->metaObject()->className(), receiver->objectName(),
                                      receiver->parent() ? receiver->parent()->metaObject()->className() : nullptr,
                                      event->type());
    ++g_watch.depth;
    const auto wall0 = Clock::now();
    const double cpu0 = ThreadCpuMs();
    const bool result = QApplication::notify(receiver, event);
    const double cpu = ThreadCpuMs() - cpu0;
    const double wall = Ms(Clock::now() - wall0);
    --g_watch.depth;
    if (g_watch.on) {
        Group &g = g_watch.groups[what];
        ++g.count;
        g.wallMs += wall;
        g.cpuMs += cpu;
        if (wall > g.longestMs) {
            g.longestMs = wall;
            g.longestCpuMs = cpu;
        }
    }
    return result;
}

void WatchDeliveries()
{
    g_watch.groups.clear();
    g_watch.on = true;
}

void ReportDeliveries(const char *what, double windowMs)
{
    g_watch.on = false;
    std::vector<std::pair<std::string, Group>> groups(g_watch.groups.begin(), g_watch.groups.end());
    double wall = 0, cpu = 0;
    for (const auto &[name, g] : groups)
        wall += g.wallMs, cpu += g.cpuMs;
    std::sort(groups.begin(), groups.end(), [](const auto &a, const auto &b) { return a.second.wallMs > b.second.wallMs; });
    Say("window thread, %s: busy %.1f %% of the window delivering events (%.1f %% on its CPU clock); the most:\n",
        what, 100 * wall / windowMs, 100 * cpu / windowMs);
    for (size_t i = 0; i < std::min<size_t>(4, groups.size()); ++i) {
        const Group &g = groups[i].second;
        Say("  %5.1f ms in %4d x %s (mean %.2f ms, longest %.1f ms of which %.1f ms CPU)\n", g.wallMs, g.count,
            groups[i].first.c_str(), g.wallMs / g.count, g.longestMs, g.longestCpuMs);
    }
    const auto longest = std::max_element(groups.begin(), groups.end(), [](const auto &a, const auto &b) {
        return a.second.longestMs < b.second.longestMs;
    });
    if (longest != groups.end())
        Say("  longest single delivery: %.1f ms (%.1f ms CPU), %s\n", longest->second.longestMs,
            longest->second.longestCpuMs, longest->first.c_str());
    g_watch.groups.clear();
}

}  // namespace tavrin::bench
