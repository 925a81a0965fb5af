// tavrin-bench: how fast and how responsive the program is against the simulator. It drives the
// real program objects headless and prints its figures on standard output, one per line;
// progress goes to standard error.
#include "acquisition/acquisition_group.h"
#include "acquisition/basic_group.h"
#include "common/dialogs.h"
#include "common/program_folder.h"
#include "common/text_number.h"
#include "display/frm_crt.h"
#include "instrument/port_check.h"
#include "markers/limit_group.h"
#include "panel/frm_main.h"
#include "shell/mdi_main.h"
#include "shell/program.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"
#include "trace_modes/trace_group.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <numeric>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Defined in bench_support.cpp.
namespace tavrin::bench {
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
// In bench_waterfall.cpp.
inline const QSize kFullHd(1920, 1080);
bool OpenWaterfall(tavrin::Program &program);  // maximised, its window at full-HD size
void ReportWaterfall(tavrin::Program &program);
void ReportFileJobs(const std::string &root);  // bench_files.cpp
}  // namespace tavrin::bench

namespace {

using namespace tavrin::bench;
using namespace std::chrono_literals;

// No single wait of the bench is longer; the silent line's read time-out alone is ~10.3 s.
constexpr auto kCap = 25s;
// A call that does not come back to the bench at all: the run ends with what it measured.
constexpr auto kWatchdog = 90s;
constexpr double kLineLimit = 5.66;  // traces/s: a 1017-byte block at 5760 bytes/s, plus the request

long long Seconds(Clock::duration d) { return std::chrono::duration_cast<std::chrono::seconds>(d).count(); }

// One program against one simulator, with a program folder of its own.
struct Session {
    Session(std::string name, std::string root) : name(std::move(name)), root(std::move(root)) {}

    std::string name;
    std::string root;
    tavrin::test::SimProcess sim;
    std::unique_ptr<tavrin::Program> program;
    std::function<void()> onQuit;

    tavrin::AcquisitionGroup &Acq() { return program->Panel().Acquisition(); }
    tavrin::FrmCRT &Display() { return program->Frame().Display(); }
    // Found by name, as a user or an accessibility tool finds it.
    QPushButton *StartButton() { return program->Panel().findChild<QPushButton *>("cmdStart"); }
    bool Stopped() { return !Acq().Running() && StartButton()->text() == "Start"; }
};

// Everything the screen can draw at once: both holds, markers 1 and 2 with every measurement.
void EverythingOn(Session &s)
{
    tavrin::FrmMain &panel = s.program->Panel();
    for (const char *name : {"chkMaxHold", "chkMinHold", "chkBandPower", "chkOccupiedBW", "chkNoiseMarker", "chkMKR0",
                             "chkMKR1"})
        if (auto *box = panel.findChild<QCheckBox *>(name); box && !box->isChecked())
            box->click();
    for (auto [name, mhz] : {std::pair{"txtMKR0", "60"}, std::pair{"txtMKR1", "100"}})
        if (auto *text = panel.findChild<QLineEdit *>(name))
            text->setText(mhz);
}

// Simulator, program, first activation and a Start click; whether the acquisition runs.
bool Launch(Session &s, const std::vector<std::string> &simArgs)
{
    Phase(s.name + ": start");
    const std::string folder = s.root + "/" + s.name;
    std::filesystem::create_directories(folder);
    tavrin::SetProgramFolderOverride(folder);
    std::string error;
    if (!s.sim.Start(1, simArgs, error)) {
        Say("%s: the simulator did not start: %s\n", s.name.c_str(), error.c_str());
        return false;
    }
    SetScenario(s.name, s.sim.Pid());
    s.program = std::make_unique<tavrin::Program>(Dialogs(), tavrin::PortHeldElsewhere, [&s] {
        if (s.onQuit)
            s.onQuit();
    });
    s.program->Start();
    if (!PumpUntil([&] { return s.program->Panel().Activated(); }, kCap, 10ms)) {
        Say("%s: the control panel was not activated within %lld s\n", s.name.c_str(), Seconds(kCap));
        return false;
    }
    EverythingOn(s);
    s.Acq().Start();
    if (!s.Acq().Running()) {
        Say("%s: the acquisition did not start\n", s.name.c_str());
        return false;
    }
    return true;
}

void ReportRedraw(Session &s)
{
    const QSize want = kFullHd;
    QMdiSubWindow *sub = s.program->Frame().DisplayWindow();
    // The sub-window's frame and title bar come on top of the client area.
    for (int i = 0; i < 3 && s.Display().size() != want; ++i) {
        sub->resize(sub->size() + want - s.Display().size());
        PumpFor(20ms);
    }
    if (!s.Acq().HasTrace()) {
        Say("redraw: not measured (no trace was shown)\n");
        return;
    }
    s.Display().Redraw();  // the picture takes its new size here
    // The mean, and the median, which a machine shared with other work moves less.
    constexpr int kRounds = 50;
    const auto [mean, median] = Timed(kRounds, [&] { s.Display().Redraw(); });
    const QSize got = s.Display().Picture().size();
    const tavrin::TraceHolds &holds = s.program->Panel().Traces().Holds();
    Say("redraw at %dx%d with max hold (%d traces), min hold (%d) and %d measurements on: %.2f ms (mean of %d), "
        "median %.2f ms\n",
        got.width(), got.height(), holds.Count(tavrin::HoldKind::Max), holds.Count(tavrin::HoldKind::Min),
        s.program->Panel().Traces().Measurements().Count(), mean, kRounds, median);
}

// Traces and CPU over one window with nothing of the bench's own in the loop.
void AcquisitionWindow(Session &s, const char *with)
{
    Phase(std::string("paced: acquisition window") + with);
    const int r0 = s.Display().RedrawCount();
    const double cpu0 = CpuSeconds();
    const auto w0 = Clock::now();
    PumpFor(10s);
    const double wall = std::chrono::duration<double>(Clock::now() - w0).count();
    const double cpu = CpuSeconds() - cpu0;
    const int traces = s.Display().RedrawCount() - r0;
    Say("acquisition%s: %.2f traces/s (line limit %.2f/s; %d traces in %.2f s)\n", with, traces / wall, kLineLimit,
        traces, wall);
    Say("cpu while acquiring%s: %.1f %% of one core (%.2f s in %.2f s)\n", with, 100.0 * cpu / wall, cpu, wall);
    if (!s.Acq().Running())
        Say("note: the acquisition stopped by itself during the window\n");
}

// A limit file of a million points over the screen and a little beyond, chosen in Limit 1 or 2.
bool ChooseMillionPointLimit(Session &s, const char *name, const std::function<double(int)> &level, int line = 0)
{
    const tavrin::MeasurementState &state = s.program->Panel().Basic().State();
    double start = tavrin::StartFreq(state), stop = tavrin::StopFreq(state);
    if (!(stop > start))
        start = 30, stop = 130;
    const double from = start - (stop - start) / 10, step = (stop - start) * 1.2 / 1e6;
    std::string bytes;
    for (int i = 0; i < 1'000'000; ++i)
        for (double v : {from + i * step, level(i)})
            for (int b = 0; b < 8; ++b)
                bytes += static_cast<char>(std::bit_cast<uint64_t>(v) >> (8 * b));
    std::filesystem::create_directories(tavrin::WorkingFolder());
    std::ofstream(tavrin::JoinPath(tavrin::WorkingFolder(), std::string(name) + ".lim"), std::ios::binary) << bytes;
    s.program->Panel().Limits().RefreshLimitSelector();
    auto *box = s.program->Panel().findChild<QComboBox *>(QString("cboLim%1").arg(line));
    const int entry = box->findText(name);
    box->setCurrentIndex(entry);
    emit box->activated(entry);
    s.program->Panel().findChild<QCheckBox *>(QString("chkLim%1").arg(line))->setChecked(true);
    return s.program->Panel().Limits().View()[static_cast<size_t>(line)].points.size() == 1'000'000;
}

// Both limit lines shown (and so judged on every trace), or neither.
void ShowLimits(Session &s, bool shown)
{
    for (const char *name : {"chkLim0", "chkLim1"})
        s.program->Panel().findChild<QCheckBox *>(name)->setChecked(shown);
}

double MeanRedrawMs(Session &s)
{
    constexpr int kRounds = 20;
    const auto t0 = Clock::now();
    for (int i = 0; i < kRounds; ++i)
        s.Display().Redraw();
    return Ms(Clock::now() - t0) / kRounds;
}

// From one new trace to the traces-th after it, timed at the traces themselves (polled every
// millisecond), so that the window's ends do not round the rate.
double TracesPerSecond(Session &s, int traces)
{
    int seen = s.Display().RedrawCount();
    if (!PumpUntil([&] { return s.Display().RedrawCount() != seen; }, kCap, 1ms))
        return 0;
    seen = s.Display().RedrawCount();
    const auto t0 = Clock::now();
    if (!PumpUntil([&] { return s.Display().RedrawCount() >= seen + traces; }, 60s, 1ms))
        return 0;
    return (s.Display().RedrawCount() - seen) / std::chrono::duration<double>(Clock::now() - t0).count();
}

// The trace rate without and then with two dense masks of a million points (a measured curve with
// 0.5 dB of noise: limit 1 an upper line, limit 2 a lower one 40 dB under it) at the window's size,
// both drawn and judged on every trace, and the latency with them.
bool ReportLimitRate(Session &s, const char *size)
{
    const double top = tavrin::NumericValue(s.program->Panel().Basic().State().refLevelDbm) - 30;
    auto mask = [&](int i) { return top - 10 * std::sin(i * 2e-5) - (i * 7919LL % 101) / 200.0; };
    if (!ChooseMillionPointLimit(s, "mask", mask) ||
        !ChooseMillionPointLimit(s, "floor", [&](int i) { return mask(i) - 40; }, 1)) {
        Say("million-point limit: not measured (the file was not loaded)\n");
        return false;
    }
    s.program->Panel().findChild<QComboBox *>("cboLimKind1")->setCurrentIndex(1);
    ShowLimits(s, false);
    const double without = TracesPerSecond(s, 80);
    ShowLimits(s, true);
    Say("acquisition with two million-point limit lines shown and judged, %s: %.2f traces/s (%.2f/s just before "
        "without them)\n",
        size, TracesPerSecond(s, 80), without);
    ReportLatency("ui latency with two million-point limit lines judged", MeasureLatency(5s));
    ShowLimits(s, false);
    return true;
}

// A redraw without the limit lines, with both masks judged, and with the worst a million points
// can ask of the drawing in limit 1: a zigzag of 20 dB, which fills its band in every column.
void ReportLimitRedraw(Session &s)
{
    const double none = MeanRedrawMs(s);
    ShowLimits(s, true);
    const double masks = MeanRedrawMs(s);
    const double top = tavrin::NumericValue(s.program->Panel().Basic().State().refLevelDbm) - 30;
    if (ChooseMillionPointLimit(s, "zigzag", [&](int i) { return i % 2 ? top : top - 20; }))
        Say("redraw at 1920x1080: %.2f ms without limit lines, %.2f ms with both million-point masks judged, %.2f ms "
            "with a 20 dB zigzag of a million points beside the lower mask (means of 20)\n",
            none, masks, MeanRedrawMs(s));
}

// The answering line: throughput, CPU, latency, Stop, and one redraw at full-HD size.
bool PacedLine(const std::string &root)
{
    Session s("paced", root);
    if (!Launch(s, {}))
        return false;
    Phase("paced: warm-up");
    PumpFor(1s);
    AcquisitionWindow(s, "");
    // The same again with the waterfall, on a machine in the same state as far as can be.
    if (OpenWaterfall(*s.program)) {
        PumpFor(1s);
        AcquisitionWindow(s, " with the waterfall open and maximised at 1920x1080");
    } else {
        Say("note: the waterfall did not open at %dx%d\n", kFullHd.width(), kFullHd.height());
    }

    Phase("paced: latency window");
    ReportLatency("ui latency while acquiring", MeasureLatency(10s));

    // Posted like a user's click, so that it lands while a fetch is on the line.
    Phase("paced: stop");
    std::optional<Clock::time_point> click, stopped;
    QObject context;
    QTimer::singleShot(0, &context, [&] {
        click = Clock::now();
        s.StartButton()->click();
    });
    PumpUntil(
        [&] {
            if (click && !stopped && s.Stopped())
                stopped = Clock::now();
            return stopped.has_value();
        },
        kCap, 1ms);
    if (stopped)
        Say("stop while the line answers: %.0f ms\n", Ms(*stopped - *click));
    else
        Say("stop while the line answers: still running %lld s after the click\n", Seconds(kCap));

    Phase("paced: million-point limit");
    s.Acq().Start();
    PumpFor(1s);
    const bool limit = ReportLimitRate(s, "window's first size");

    Phase("paced: redraw");
    ReportWaterfall(*s.program);
    ReportRedraw(s);
    if (limit) {
        Phase("paced: million-point limit at 1920x1080");
        ReportLimitRate(s, "1920x1080");
        ReportLimitRedraw(s);
    }

    Phase("paced: quit");
    s.program->Panel().cmdQuit_Click();
    s.program.reset();
    s.sim.Stop();
    return true;
}

// A line that answers 10 traces and then nothing, the port kept open: the program's fetch waits
// on it while the window should stay served, and Stop and Quit should not wait for it. Every
// step runs from a timer, inside whatever loop the program is serving while it waits, the way a
// user's clicks arrive: code of ours after a loop of ours would run only once the wait is over.
void SilentSteps(Session &s)
{
    QObject context;  // drops whatever is still posted when this ends
    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    const auto started = Clock::now();
    auto changed = started;
    int last = s.Display().RedrawCount();
    bool waitingForSilence = true, wasRunning = false, quitPosted = false, backstop = false;
    std::optional<Clock::time_point> stopClick, stopped, quitClick;

    auto postQuit = [&] {
        if (quitPosted)
            return;
        quitPosted = true;
        QTimer::singleShot(0, &context, [&] {
            Phase("silent: quit");
            quitClick = Clock::now();
            s.program->Panel().cmdQuit_Click();
        });
    };
    auto checkStopped = [&] {
        if (stopClick && !stopped && s.Stopped()) {
            stopped = Clock::now();
            postQuit();  // right away, while the call on the line may still be in flight
        }
    };
    auto clickStop = [&] {
        Phase("silent: stop");
        wasRunning = s.Acq().Running();
        if (!wasRunning) {
            postQuit();
            return;
        }
        poll.start(1);
        QTimer::singleShot(kCap, &context, postQuit);  // the user gives up on Stop
        QTimer::singleShot(0, &context, [&] {
            stopClick = Clock::now();
            s.StartButton()->click();
            checkStopped();
        });
    };
    auto measureLatency = [&] {
        waitingForSilence = false;
        poll.stop();  // nothing of ours in the loop but the probe
        Phase("silent: latency window");
        LatencyBegin();
        QTimer::singleShot(5s, Qt::PreciseTimer, &context, [&] {
            ReportLatency("ui latency while a call waits on a silent line", LatencyEnd());
            if (!s.Acq().Running())
                Say("note: the acquisition stopped by itself during the silent window\n");
            clickStop();
        });
    };
    QObject::connect(&poll, &QTimer::timeout, &context, [&] {
        if (!waitingForSilence)
            return checkStopped();
        const int now = s.Display().RedrawCount();
        if (now != last) {
            last = now;
            changed = Clock::now();
        }
        if (s.Acq().HasTrace() && Clock::now() - changed > 500ms) {
            std::fprintf(stderr, "-- silent: last trace %.1f s after Start\n", Ms(changed - started) / 1000);
            measureLatency();
        } else if (Clock::now() - started > kCap) {
            Say("silent line: traces kept coming for %lld s; measured anyway\n", Seconds(kCap));
            measureLatency();
        }
    });
    // As the program's main(): Quit ends every event loop, then main destroys the program.
    s.onQuit = [] { QCoreApplication::exit(0); };
    QTimer::singleShot(3 * kCap + 10s, &context, [&] {  // Quit never came, or did not end the loops
        backstop = true;
        loop.quit();
    });

    Phase("silent: waiting for the line to fall silent");
    poll.start(10);
    loop.exec();
    poll.stop();
    LatencyEnd();
    s.program.reset();
    const auto gone = Clock::now();

    if (!stopClick && !wasRunning)
        Say("stop on a silent line: not measured (the acquisition had already stopped by itself)\n");
    else if (stopped)
        Say("stop on a silent line: %.0f ms\n", Ms(*stopped - *stopClick));
    else if (stopClick)
        Say("stop on a silent line: > %.0f ms (still running when Quit was clicked)\n",
            Ms((quitClick ? *quitClick : gone) - *stopClick));
    if (quitClick)
        Say("quit on a silent line: %.0f ms (click until the program object is destroyed)\n", Ms(gone - *quitClick));
    else
        Say("quit on a silent line: the click never ran\n");
    if (backstop)
        Say("note: the bench ended its own event loop after %lld s\n", Seconds(3 * kCap + 10s));
}

bool SilentLine(const std::string &root)
{
    Session s("silent", root);
    if (!Launch(s, {"--silent-after", "10"}))
        return false;
    SilentSteps(s);
    s.sim.Stop();
    return true;
}

}  // namespace

int main(int argc, char *argv[])
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);  // headless unless the caller chose a platform
    QApplication app(argc, argv);
    QApplication::setApplicationName("TavrinRemote");

    // A private XDG_CONFIG_HOME: the simulator's COM1 link and the program folders live there.
    tavrin::test::TempConfigHome home;
    SetTempRoot(home.Path());
    StartWatchdog(kWatchdog);
    // First: once a session's Quit has ended every event loop, the program's waits end at once.
    Phase("file jobs");
    ReportFileJobs(home.Path());
    int failed = 0;
    failed += !PacedLine(home.Path());
    failed += !SilentLine(home.Path());
    StopWatchdog();
    tavrin::SetProgramFolderOverride({});
    PrintMessages();
    return failed ? 1 : 0;
}
