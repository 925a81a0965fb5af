// tavrin-bench: how fast and how responsive the program is against the simulator. It drives the
// real program objects headless and prints its figures on standard output, one per line;
// progress goes to standard error.
#include "bench_program.h"
#include "bench_support.h"

#include "common/program_folder.h"
#include "display/display_window.h"
#include "panel/control_panel.h"
#include "record/record_file.h"
#include "session/session.h"
#include "shell/main_frame.h"
#include "shell/program.h"
#include "shell/waterfall_window.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace {

using namespace tavrin::bench;
using namespace std::chrono_literals;

// A call that does not come back to the bench at all: the run ends with what it measured.
constexpr auto kWatchdog = 90s;
const QSize kUltraHd(3840, 2160);
constexpr int kShortestRecordPeriodMs = 200;  // the settings' shortest recording interval, 0.2 s

// A continuous recording into a record file, as Record starts it once the file is created.
bool StartRecording(BenchProgram &p, const std::string &path)
{
    p.S().Record().StartContinuous(path, kShortestRecordPeriodMs);
    return p.S().Record().Recording() && p.S().Record().Continuous();
}

// Everything the screen and the session can do at once on a full-HD screen.
void EverythingAtFullHd(BenchProgram &p, const std::string &recordPath)
{
    Phase("paced: limit lines, screen sizes, waterfall and recording");
    const bool limits = ShowMillionPointLimits(*p.program);
    const bool display = SizeDisplay(*p.program, kFullHd);
    const bool waterfall = OpenWaterfall(*p.program);
    const bool recording = StartRecording(p, recordPath);
    const QSize shown = p.program->Frame().Display().size();
    const tavrin::Session &s = p.S();
    Say("set-up: display %dx%d%s, waterfall maximised at %dx%d: %s, max and min hold %s, %d measurements, markers 1 "
        "and 2 %s, two million-point limit lines (upper, lower) shown: %s, continuous recording every %d ms: %s\n",
        shown.width(), shown.height(), display ? "" : " (not the size asked)", kFullHd.width(), kFullHd.height(),
        waterfall ? "yes" : "no", s.Holds().On(tavrin::HoldKind::Max) && s.Holds().On(tavrin::HoldKind::Min) ? "on" : "off",
        s.Measurements().Count(), s.Markers().Controls()[0].enabled && s.Markers().Controls()[1].enabled ? "on" : "off",
        limits ? "yes" : "no", kShortestRecordPeriodMs, recording ? "yes" : "no");
}

// The redraw of the display with everything on, at full HD and at 4K, the acquisition stopped so
// that only the drawing is timed.
void ReportRedraw(BenchProgram &p)
{
    tavrin::DisplayWindow &display = p.program->Frame().Display();
    const tavrin::TraceHolds &holds = p.S().Holds();
    for (const QSize size : {kFullHd, kUltraHd}) {
        if (!SizeDisplay(*p.program, size)) {
            Say("redraw at %dx%d: not measured (the display window is %dx%d)\n", size.width(), size.height(),
                display.width(), display.height());
            continue;
        }
        display.Redraw();  // the picture takes its new size here
        constexpr int kRounds = 50;
        const auto [mean, median] = Timed(kRounds, [&] { display.Redraw(); });
        const QSize got = display.Picture().size();
        Say("redraw at %dx%d with max hold (%d traces), min hold (%d), %d measurements, markers 1 and 2 and both "
            "limit lines: %.2f ms (mean of %d), median %.2f ms\n",
            got.width(), got.height(), holds.Count(tavrin::HoldKind::Max), holds.Count(tavrin::HoldKind::Min),
            p.S().Measurements().Count(), mean, kRounds, median);
    }
    SizeDisplay(*p.program, kFullHd);
}

// Stop clicked while the line answers, posted like a user's click so that it lands while a fetch
// is on the line.
void StopWhileAnswering(BenchProgram &p)
{
    Phase("paced: stop");
    std::optional<Clock::time_point> click, stopped;
    QObject context;
    QTimer::singleShot(0, &context, [&] {
        click = Clock::now();
        p.StartButton()->click();
    });
    PumpUntil(
        [&] {
            if (click && !stopped && p.Stopped())
                stopped = Clock::now();
            return stopped.has_value();
        },
        kCap, 1ms);
    if (stopped)
        Say("stop while the line answers: %.1f ms from the click until the button says \"Start\"\n",
            Ms(*stopped - *click));
    else
        Say("stop while the line answers: still running %lld s after the click\n", static_cast<long long>(kCap.count()));
}

void ReportRecording(BenchProgram &p, const std::string &path)
{
    const tavrin::Recorder &r = p.S().Record();
    std::error_code error;
    const auto bytes = std::filesystem::file_size(path, error);
    Say("continuous recording: %d records appended to the record file (%.1f kB) while it ran; %s now\n",
        r.FileCount(), error ? -1.0 : static_cast<double>(bytes) / 1024.0, r.Recording() ? "recording" : "stopped");
}

void QuitAnswering(BenchProgram &p)
{
    Phase("paced: quit");
    bool asked = false;
    p.onQuit = [&] { asked = true; };
    const auto click = Clock::now();
    p.Button("cmdQuit")->click();
    p.traces.reset();
    p.program.reset();
    Say("quit on an answering line (stopped): %.0f ms from the click until the program object is destroyed%s\n",
        Ms(Clock::now() - click), asked ? "" : " (it never asked to end)");
}

// The answering line: everything on at full HD, the rate against tavrin-cli's, a modal box, Stop,
// the waterfall's row and the redraws.
bool PacedLine(const std::string &root)
{
    BenchProgram p("paced", root);
    if (!Launch(p, {}, true))
        return false;
    const std::string recordPath = p.Folder() + "/continuous.spf";
    EverythingAtFullHd(p, recordPath);
    Phase("paced: warm-up");
    PumpFor(2s);
    const Rate rate = AcquisitionWindow(p, 10s, "1920x1080, everything on");
    // The same without the recording, whose appends are synced to the disk on the window thread.
    p.Button("cmdRecord")->click();
    ReportRecording(p, recordPath);
    const Rate plain = AcquisitionWindow(p, 10s, "1920x1080, everything on but the recording");
    CompareToolsRate(p, plain);
    if (!CompareWithCli(p, rate))
        return false;
    PumpFor(1s);
    PublishingRates(p);
    ModalDialog(p);
    RemoteControlBench(p);
    StopWhileAnswering(p);

    // Timed with the acquisition stopped, so that only the work itself is counted.
    Phase("paced: waterfall row and redraws");
    ReportRecordAppends(p.Folder());
    ReportWaterfall(*p.program);
    ReportRedraw(p);
    ReportCompareRedraw(p);
    ReportLimitRedraw(*p.program);
    QuitAnswering(p);
    p.sim.Stop();
    return true;
}

}  // namespace

int main(int argc, char *argv[])
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);  // headless unless the caller chose a platform
    BenchApplication app(argc, argv);
    QApplication::setApplicationName("TavrinRemote");

    // A private XDG_CONFIG_HOME: the simulator's COM1 link and the program folders live there;
    // tavrin-cli inherits it.
    tavrin::test::TempConfigHome home;
    SetTempRoot(home.Path());
    StartWatchdog(kWatchdog);
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
