// tavrin-bench: how fast and how responsive the program is against the simulator. It drives the
// real program objects headless and prints its figures on standard output, one per line;
// progress goes to standard error.
#include "bench_support.h"

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
#include "shell/waterfall_window.h"
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

namespace {

using namespace tavrin::bench;
using namespace std::chrono_literals;

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

// Stop clicked, and its end awaited.
void StopAndWait(Session &s)
{
    if (s.Acq().Running())
        s.StartButton()->click();
    PumpUntil([&] { return s.Stopped(); }, kCap, 1ms);
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
    const bool limit = ReportLimitRate(*s.program, "window's first size");

    // Timed with the acquisition stopped, so that no tick's wait on the line is counted in.
    Phase("paced: redraw");
    StopAndWait(s);
    ReportWaterfall(*s.program);
    ReportRedraw(s);
    if (limit) {
        Phase("paced: million-point limit at 1920x1080");
        s.Acq().Start();
        PumpFor(1s);
        ReportLimitRate(*s.program, "1920x1080 with the waterfall maximised too");
        s.program->Waterfall().Close();
        PumpFor(1s);
        ReportLimitRate(*s.program, "1920x1080");
        ReportLimitRedraw(*s.program);
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
