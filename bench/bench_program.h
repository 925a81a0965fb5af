// One program of the bench against one simulator, found and driven through its controls and its
// session, and the traces its session publishes, with the time each came.
#pragma once

#include "bench_support.h"
#include "support/sim_process.h"

#include "session/trace_bus.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPushButton;

namespace tavrin {
class Program;
class Session;
}  // namespace tavrin

namespace tavrin::bench {

// The arrival times of the traces a session publishes, counted on its trace bus (not redraws).
class TraceTimes {
public:
    explicit TraceTimes(tavrin::Session &session);

    size_t Count() const { return times_.size(); }
    std::optional<Clock::time_point> Last() const;
    // Those that came in [from, to).
    std::vector<Clock::time_point> Between(Clock::time_point from, Clock::time_point to) const;

private:
    tavrin::TraceBus::Connection connection_;
    std::vector<Clock::time_point> times_;
};

// A rate measured on arrival times: count in a window, and from the first to the last of them.
struct Rate {
    size_t traces = 0;
    double seconds = 0;  // the window
    double steady = 0;   // (traces - 1) / (last - first): no rounding at the window's ends
    double Counted() const { return seconds > 0 ? static_cast<double>(traces) / seconds : 0; }
};
Rate RateOf(const std::vector<Clock::time_point> &times, double windowSeconds);

struct BenchProgram {
    BenchProgram(std::string name, std::string root) : name(std::move(name)), root(std::move(root)) {}

    std::string name;
    std::string root;
    tavrin::test::SimProcess sim;
    std::unique_ptr<tavrin::Program> program;
    std::unique_ptr<TraceTimes> traces;
    std::function<void()> onQuit;  // the program's quit callback, as main's QCoreApplication::exit

    tavrin::Session &S();
    // Found by name, as a user or an accessibility tool finds it.
    QPushButton *Button(const char *objectName);
    QPushButton *StartButton() { return Button("cmdStart"); }
    bool Running();                // acquiring, or checking before it
    bool Stopped();                // the session stopped and the button says so
    QString StatusLabel();         // what the status bar's link label says
    std::string Folder() const { return root + "/" + name; }
};

// Simulator, program, first activation; with everything, the holds, measurements and markers
// 1 and 2 on; then a Start click. Whether the acquisition runs.
bool Launch(BenchProgram &p, const std::vector<std::string> &simArgs, bool everything);
// Start clicked, and the first trace after it awaited.
bool StartAndWait(BenchProgram &p);
// Stop clicked (when running), and its end awaited.
void StopAndWait(BenchProgram &p);
// The display window's client area resized to size (its frame comes on top); whether it got it.
bool SizeDisplay(tavrin::Program &program, QSize size);

// The parts of the run, each in a file of its own.
// bench_rates.cpp: traces, redraws, window latency and CPU over a window of acquisition...
Rate AcquisitionWindow(BenchProgram &p, Clock::duration length, const std::string &what);
// ... and tavrin-cli sweep against the same simulator; the program acquires again after it.
bool CompareWithCli(BenchProgram &p, const Rate &program);
// bench_publish.cpp: the rate with Publish on at QoS 1 against the rate just before without it,
// then the program and tavrin-cli publishing from two simulators at once.
bool PublishingRates(BenchProgram &p);
void ModalDialog(BenchProgram &p);         // bench_modal.cpp
// bench_compare.cpp: the memories, the difference, two tracking markers, the peak table and ACP.
bool CompareToolsOn(BenchProgram &p, bool on);
void CompareToolsRate(BenchProgram &p, const Rate &without);
void ReportCompareRedraw(BenchProgram &p);
void RemoteControlBench(BenchProgram &p);  // bench_remote.cpp; acquiring again after it
bool SilentLine(const std::string &root);  // bench_silent.cpp

}  // namespace tavrin::bench
