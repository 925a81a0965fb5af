// What the parts of the benchmark share: reporting, pumping events, timing.
#pragma once

#include "common/dialogs.h"

#include <QApplication>
#include <QSize>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tavrin {
class Program;
}

namespace tavrin::bench {

// In bench_support.cpp.
using Clock = std::chrono::steady_clock;
double Ms(Clock::duration d);
void Say(const char *format, ...) __attribute__((format(printf, 1, 2)));
void PrintMessages();
UserDialogs &Dialogs();  // records every message with its scenario and time
void SetTempRoot(const std::string &path);
void SetScenario(const std::string &name, int simPid);
void StartWatchdog(std::chrono::seconds limit);
void StopWatchdog();
void Phase(const std::string &name);  // reported on stderr; the watchdog's time starts again
// Serves events; timers of ours fire inside any loop the program nests, so these run over only
// while the program holds the thread without serving events.
void PumpFor(Clock::duration d);
bool PumpUntil(const std::function<bool()> &done, Clock::duration cap, std::chrono::milliseconds every);
double CpuSeconds();
std::vector<double> MeasureLatency(Clock::duration d);  // pumps for d
void LatencyBegin();                                    // the probe runs while others pump
std::vector<double> LatencyEnd();
void ReportLatency(const char *what, const std::vector<double> &lateMs);
// The mean and the median of a few rounds of work, in ms.
std::pair<double, double> Timed(int rounds, const std::function<void()> &work);
inline const QSize kFullHd(1920, 1080);
// No single wait of the bench is longer; the silent line's read time-out alone is ~10.3 s.
inline constexpr auto kCap = std::chrono::seconds(25);
// In bench_events.cpp: the bench's application times the window thread's event deliveries.
class BenchApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override;
};
void WatchDeliveries();  // from now on
void ReportDeliveries(const char *what, double windowMs);  // and the watch ends
// In bench_waterfall.cpp.
bool OpenWaterfall(tavrin::Program &program);  // maximised, its window at full-HD size
void ReportWaterfall(tavrin::Program &program);
// In bench_files.cpp.
void ReportFileJobs(const std::string &root);
void ReportRecordAppends(const std::string &folder);
// In bench_limits.cpp.
bool ShowMillionPointLimits(tavrin::Program &program);  // an upper and a lower line, shown
void ShowLimits(tavrin::Program &program, bool shown);
void ReportLimitRedraw(tavrin::Program &program);
}  // namespace tavrin::bench
