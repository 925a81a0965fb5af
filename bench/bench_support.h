// What the parts of the benchmark share: reporting, pumping events, timing.
#pragma once

#include "common/dialogs.h"

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
// In bench_waterfall.cpp.
bool OpenWaterfall(tavrin::Program &program);  // maximised, its window at full-HD size
void ReportWaterfall(tavrin::Program &program);
void ReportFileJobs(const std::string &root);  // bench_files.cpp
bool ReportLimitRate(tavrin::Program &program, const char *size);  // bench_limits.cpp
void ReportLimitRedraw(tavrin::Program &program);
}  // namespace tavrin::bench
