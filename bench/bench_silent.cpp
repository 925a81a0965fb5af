// A line that answers 10 traces and then nothing, the port kept open: the fetch on the line waits
// out the library's read time-out on the link thread while the window goes on. Stop, a Start
// after it and Quit are clicked through the event loop, as a user's clicks arrive, while that
// call is still inside the library.
#include "bench_program.h"

#include "session/session.h"
#include "shell/program.h"

#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

namespace tavrin::bench {

using namespace std::chrono_literals;

namespace {

// The click posted, then awaited until done says it took effect; the times of both.
struct Clicked {
    std::optional<Clock::time_point> click, effect;
    double Ms() const { return click && effect ? bench::Ms(*effect - *click) : -1; }
};

Clicked ClickAndWait(QPushButton *button, const std::function<bool()> &done, const std::function<void()> &after = {})
{
    Clicked c;
    QObject context;
    QTimer::singleShot(0, &context, [&] {
        c.click = Clock::now();
        button->click();
        if (after)
            after();
    });
    PumpUntil(
        [&] {
            if (c.click && !c.effect && done())
                c.effect = Clock::now();
            return c.effect.has_value();
        },
        kCap, 1ms);
    return c;
}

// After the latency window: Stop, then Start (what the status bar says at once), then Quit.
void StopStartQuit(BenchProgram &p)
{
    Phase("silent: stop");
    const std::string before = p.StatusLabel().toStdString();
    const Clicked stop = ClickAndWait(p.StartButton(), [&] { return p.Stopped(); });
    if (stop.effect)
        Say("stop on a silent line: %.1f ms from the click until the button says \"Start\" (status before: %s)\n",
            stop.Ms(), before.c_str());
    else
        Say("stop on a silent line: the button did not say \"Start\" within %lld s\n",
            static_cast<long long>(kCap.count()));

    Phase("silent: start again");
    std::string said, label;
    const auto last = p.traces->Last();
    const Clicked start = ClickAndWait(p.StartButton(), [] { return true; }, [&] {
        said = tavrin::StatusText(p.S().Status());
        label = p.StatusLabel().toStdString();
    });
    Say("start on the silent line after Stop: the session said at once \"%s\"; the status bar \"%s\" (the last "
        "trace came %.1f s before the click)\n",
        said.c_str(), label.c_str(), last && start.click ? Ms(*start.click - *last) / 1000 : -1.0);

    Phase("silent: quit");
    bool quitCalled = false;
    p.onQuit = [&] { quitCalled = true; };
    const Clicked quit = ClickAndWait(p.Button("cmdQuit"), [&] { return quitCalled; });
    const bool busy = p.program->Instrument().Busy();
    p.traces.reset();
    p.program.reset();
    const auto gone = Clock::now();
    if (!quit.effect) {
        Say("quit on a silent line: the program did not ask to end within %lld s\n",
            static_cast<long long>(kCap.count()));
        return;
    }
    Say("quit on a silent line: %.1f ms from the click until the program asks to end (the link thread %s, so "
        "main() would _exit there); %.0f ms until the program object is destroyed\n",
        quit.Ms(), busy ? "still inside the library" : "free", Ms(gone - *quit.click));
}

}  // namespace

bool SilentLine(const std::string &root)
{
    BenchProgram p("silent", root);
    if (!Launch(p, {"--silent-after", "10"}, true))
        return false;
    Phase("silent: waiting for the line to fall silent");
    const auto started = Clock::now();
    const bool silent = PumpUntil(
        [&] {
            const auto last = p.traces->Last();
            return last && Clock::now() - *last > 500ms;
        },
        kCap, 10ms);
    if (!silent)
        Say("silent line: traces kept coming for %lld s; measured anyway\n", static_cast<long long>(kCap.count()));
    else
        std::fprintf(stderr, "-- silent: %zu traces, the last %.1f s after Start\n", p.traces->Count(),
                     Ms(*p.traces->Last() - started) / 1000);

    Phase("silent: latency window");
    ReportLatency("window latency while a fetch waits on the silent line", MeasureLatency(5s));
    StopStartQuit(p);
    p.sim.Stop();
    return true;
}

}  // namespace tavrin::bench
