// The comparison and peak tools' part of the benchmark: both trace memories stored and shown,
// the difference live - A, markers 1 and 2 tracking the peak, the peak table and adjacent channel
// power, all switched on as a user switches them; the trace rate with them against the rate just
// before without them, and the redraw they cost.
#include "bench_program.h"

#include "display/display_window.h"
#include "panel/control_panel.h"
#include "session/session.h"
#include "shell/main_frame.h"
#include "shell/program.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

namespace tavrin::bench {

namespace {

using namespace std::chrono_literals;

void Check(tavrin::ControlPanel &panel, const char *name, bool on)
{
    if (auto *box = panel.findChild<QCheckBox *>(name); box && box->isChecked() != on)
        box->click();
}

void ChooseDifference(tavrin::ControlPanel &panel, int row)
{
    if (auto *box = panel.findChild<QComboBox *>("cboDifference")) {
        box->setCurrentIndex(row);
        emit box->activated(row);
    }
}

}  // namespace

// The tools on (the memories stored from the trace on the screen first) or off again; whether
// they are all in force.
bool CompareToolsOn(BenchProgram &p, bool on)
{
    tavrin::ControlPanel &panel = p.program->Panel();
    if (on)
        for (const char *store : {"cmdStoreA", "cmdStoreB"})
            if (auto *button = panel.findChild<QPushButton *>(store))
                button->click();
    for (const char *name : {"chkShowA", "chkShowB", "chkTrackMKR0", "chkTrackMKR1", "chkPeakTable", "chkAdjacentChannel"})
        Check(panel, name, on);
    ChooseDifference(panel, on ? 1 : 0);
    PumpFor(50ms);
    const tavrin::Session &s = p.S();
    const bool all = s.Memories().Memory(tavrin::MemorySlot::A) && s.Memories().Memory(tavrin::MemorySlot::B) &&
                     s.Memories().Shown(tavrin::MemorySlot::A) && s.Memories().Shown(tavrin::MemorySlot::B) &&
                     s.Memories().Difference() == tavrin::DifferenceKind::LiveMinusA && s.PeakTools().Tracking(0) &&
                     s.PeakTools().Tracking(1) && s.PeakTools().TableOn() && s.Measurements().adjacentChannel;
    return on ? all : !s.Memories().Shown(tavrin::MemorySlot::A) && !s.PeakTools().TableOn();
}

// The same acquisition window as the one just measured, with the tools on; the ratio of the two.
void CompareToolsRate(BenchProgram &p, const Rate &without)
{
    Phase(p.name + ": the comparison and peak tools on");
    if (!CompareToolsOn(p, true))
        Say("compare tools: not all of them could be switched on\n");
    PumpFor(1s);
    const Rate with = AcquisitionWindow(p, 10s, "1920x1080, everything on but the recording, with memories A and B "
                                                "shown, live - A, markers 1 and 2 tracking, the peak table and ACP");
    if (without.steady > 0)
        Say("compare tools: %.2f traces/s with them, %.2f without them (the window before); ratio %.4f\n", with.steady,
            without.steady, with.steady / without.steady);
    CompareToolsOn(p, false);
}

// The display's redraw at full HD without the tools, with them over the levels (the memories
// drawn beside the holds and limit lines), and with them in the difference view (which leaves the
// limit lines, holds and memories out); the acquisition stopped.
void ReportCompareRedraw(BenchProgram &p)
{
    tavrin::DisplayWindow &display = p.program->Frame().Display();
    if (!SizeDisplay(*p.program, kFullHd)) {
        Say("redraw with the compare tools: not measured (the display window is %dx%d)\n", display.width(),
            display.height());
        return;
    }
    constexpr int kRounds = 50;
    auto timed = [&] {
        display.Redraw();
        return Timed(kRounds, [&] { display.Redraw(); });
    };
    const auto [plain, plainMedian] = timed();
    const bool on = CompareToolsOn(p, true);
    const auto [difference, differenceMedian] = timed();
    ChooseDifference(p.program->Panel(), 0);
    const auto [levels, levelsMedian] = timed();
    const QSize got = display.Picture().size();
    Say("redraw at %dx%d with everything: %.2f ms without the compare tools; with them%s %.2f ms over the levels, "
        "%.2f ms in the difference view (means of %d; medians %.2f, %.2f and %.2f ms)\n",
        got.width(), got.height(), plain, on ? "" : " (not all on)", levels, difference, kRounds, plainMedian,
        levelsMedian, differenceMedian);
    CompareToolsOn(p, false);
}

}  // namespace tavrin::bench
