// The trace rate: the program's, counted on its session's trace bus over a window, and that of
// tavrin-cli sweep run as a child process against the same simulator right after, once the
// program has let go of the port.
#include "bench_program.h"

#include "display/display_window.h"
#include "instrument/port_check.h"
#include "session/session.h"
#include "shell/main_frame.h"
#include "shell/program.h"

#include <QCoreApplication>
#include <QProcess>

#include <chrono>
#include <string>
#include <vector>

namespace tavrin::bench {

using namespace std::chrono_literals;

namespace {

constexpr double kLineLimit = tavrin::kLineTracesPerSecond;

struct CliRun {
    std::vector<Clock::time_point> lines;  // when each line of standard output reached us
    int exitCode = -1;
    bool finished = false;
    std::string errors;
};

// tavrin-cli beside the bench, its lines timed as they arrive; the bench serves events meanwhile.
CliRun RunCli(const QStringList &args)
{
    CliRun run;
    QProcess cli;
    cli.setProgram(QCoreApplication::applicationDirPath() + "/tavrin-cli");
    cli.setArguments(args);
    QByteArray pending;
    auto take = [&] {
        const auto now = Clock::now();
        pending += cli.readAllStandardOutput();
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            pending.remove(0, end + 1);
            run.lines.push_back(now);
        }
    };
    QObject::connect(&cli, &QProcess::readyReadStandardOutput, &cli, take);
    cli.start();
    run.finished = PumpUntil([&] { return cli.state() == QProcess::NotRunning; }, kCap, 2ms);
    if (!run.finished) {
        cli.kill();
        PumpUntil([&] { return cli.state() == QProcess::NotRunning; }, 5s, 10ms);
    }
    take();
    run.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    run.errors = cli.readAllStandardError().simplified().toStdString();
    return run;
}

// A sweep's first line is the trace of its link check, written at once; the rate is the line's
// from the second on.
Rate SweepRate(const CliRun &run)
{
    if (run.lines.size() < 2)
        return {};
    return RateOf(std::vector<Clock::time_point>(run.lines.begin() + 1, run.lines.end()), 10);
}

// The port closed by the program, so that another process may open it.
bool LetGoOfPort(BenchProgram &p)
{
    StopAndWait(p);
    p.S().Line().SelectPort(0);
    return PumpUntil([&] { return !p.program->Instrument().Busy(); }, kCap, 2ms);
}

void SayCli(const char *what, const CliRun &run, const Rate &rate)
{
    if (!run.finished || run.exitCode != 0)
        Say("%s: exit %d%s (%s)\n", what, run.exitCode, run.finished ? "" : ", killed after the cap",
            run.errors.c_str());
    Say("%s: %.2f traces/s from the second line to the last as they reached the bench (%zu lines in 10 s: "
        "%.2f/s counted, the first the link check's trace)\n",
        what, rate.steady, run.lines.size(), static_cast<double>(run.lines.size()) / 10.0);
}

}  // namespace

Rate AcquisitionWindow(BenchProgram &p, Clock::duration length, const std::string &what)
{
    Phase(p.name + ": acquisition window " + what);
    tavrin::DisplayWindow &display = p.program->Frame().Display();
    const int redraws0 = display.RedrawCount();
    const double cpu0 = CpuSeconds();
    const auto w0 = Clock::now();
    LatencyBegin();
    WatchDeliveries();
    PumpFor(length);
    const std::vector<double> late = LatencyEnd();
    const auto w1 = Clock::now();
    const double wall = std::chrono::duration<double>(w1 - w0).count();
    const double cpu = CpuSeconds() - cpu0;
    const Rate rate = RateOf(p.traces->Between(w0, w1), wall);
    Say("program, %s: %.2f traces/s on the session's trace bus, from the first trace of the window to its last "
        "(%zu traces in %.2f s: %.2f/s counted; line limit %.2f/s); %d redraws\n",
        what.c_str(), rate.steady, rate.traces, wall, rate.Counted(), kLineLimit, display.RedrawCount() - redraws0);
    ReportLatency(("window latency, " + what).c_str(), late);
    Say("cpu, %s: %.1f %% of one core (%.2f s in %.2f s, every thread of the bench)\n", what.c_str(),
        100.0 * cpu / wall, cpu, wall);
    ReportDeliveries(what.c_str(), Ms(w1 - w0));
    if (!p.S().Line().Running())
        Say("note: the acquisition stopped by itself during the window (%s)\n", p.StatusLabel().toStdString().c_str());
    return rate;
}

// tavrin-cli sweep against the same simulator: plain JSON lines (the comparison), then writing a
// record file and a CSV file too. The program takes the port back and acquires again after.
bool CompareWithCli(BenchProgram &p, const Rate &program)
{
    Phase(p.name + ": the program lets go of the port");
    if (!LetGoOfPort(p)) {
        Say("tavrin-cli sweep: not measured (the program's link thread did not come free)\n");
        return false;
    }
    Phase(p.name + ": tavrin-cli sweep");
    // --port 1: the simulator's, whatever port a saved setting of the user's names.
    const CliRun plain = RunCli({"sweep", "--duration", "10", "--json", "--port", "1"});
    const Rate cli = SweepRate(plain);
    SayCli("tavrin-cli sweep --duration 10 --json --port 1", plain, cli);
    if (cli.steady > 0)
        Say("program/cli: %.3fx (%.2f / %.2f traces/s, both from first to last trace; counted in 10 s: %.2f / "
            "%.2f)\n",
            program.steady / cli.steady, program.steady, cli.steady, program.Counted(),
            static_cast<double>(plain.lines.size()) / 10.0);

    Phase(p.name + ": tavrin-cli sweep writing files");
    const std::string folder = p.Folder();
    const CliRun files = RunCli({"sweep", "--duration", "10", "--json", "--port", "1", "--record",
                                 QString::fromStdString(folder + "/cli.spf"), "--csv",
                                 QString::fromStdString(folder + "/cli.csv")});
    SayCli("tavrin-cli sweep writing a record file, CSV and JSON lines", files,
           SweepRate(files));

    Phase(p.name + ": the program takes the port back");
    p.S().Line().SelectPort(1, tavrin::PortHeldElsewhere);
    return StartAndWait(p);
}

}  // namespace tavrin::bench
