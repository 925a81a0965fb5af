// The limit lines' part of the benchmark: the trace rate and the redraw with two limit lines of a
// million points each, drawn and judged on every trace.
#include "bench_support.h"

#include "acquisition/basic_group.h"
#include "common/program_folder.h"
#include "common/text_number.h"
#include "display/frm_crt.h"
#include "markers/limit_group.h"
#include "panel/frm_main.h"
#include "shell/mdi_main.h"
#include "shell/program.h"

#include <QCheckBox>
#include <QComboBox>

#include <bit>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace tavrin::bench {

namespace {

using namespace std::chrono_literals;

// A limit file of a million points over the screen and a little beyond, chosen in Limit 1 or 2.
bool ChooseMillionPointLimit(tavrin::Program &program, const char *name, const std::function<double(int)> &level, int line = 0)
{
    const tavrin::MeasurementState &state = program.Panel().Basic().State();
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
    program.Panel().Limits().RefreshLimitSelector();
    auto *box = program.Panel().findChild<QComboBox *>(QString("cboLim%1").arg(line));
    const int entry = box->findText(name);
    box->setCurrentIndex(entry);
    emit box->activated(entry);
    program.Panel().findChild<QCheckBox *>(QString("chkLim%1").arg(line))->setChecked(true);
    return program.Panel().Limits().View()[static_cast<size_t>(line)].points.size() == 1'000'000;
}

// Both limit lines shown (and so judged on every trace), or neither.
void ShowLimits(tavrin::Program &program, bool shown)
{
    for (const char *name : {"chkLim0", "chkLim1"})
        program.Panel().findChild<QCheckBox *>(name)->setChecked(shown);
}

double MeanRedrawMs(tavrin::Program &program)
{
    constexpr int kRounds = 20;
    const auto t0 = Clock::now();
    for (int i = 0; i < kRounds; ++i)
        program.Frame().Display().Redraw();
    return Ms(Clock::now() - t0) / kRounds;
}

// From one new trace to the traces-th after it, timed at the traces themselves (polled every
// millisecond), so that the window's ends do not round the rate.
double TracesPerSecond(tavrin::Program &program, int traces)
{
    int seen = program.Frame().Display().RedrawCount();
    if (!PumpUntil([&] { return program.Frame().Display().RedrawCount() != seen; }, kCap, 1ms))
        return 0;
    seen = program.Frame().Display().RedrawCount();
    const auto t0 = Clock::now();
    if (!PumpUntil([&] { return program.Frame().Display().RedrawCount() >= seen + traces; }, 60s, 1ms))
        return 0;
    return (program.Frame().Display().RedrawCount() - seen) / std::chrono::duration<double>(Clock::now() - t0).count();
}

}  // namespace

// The trace rate without and then with two dense masks of a million points (a measured curve with
// 0.5 dB of noise: limit 1 an upper line, limit 2 a lower one 40 dB under it) at the window's size,
// both drawn and judged on every trace, and the latency with them.
bool ReportLimitRate(tavrin::Program &program, const char *size)
{
    const double top = tavrin::NumericValue(program.Panel().Basic().State().refLevelDbm) - 30;
    auto mask = [&](int i) { return top - 10 * std::sin(i * 2e-5) - (i * 7919LL % 101) / 200.0; };
    if (!ChooseMillionPointLimit(program, "mask", mask) ||
        !ChooseMillionPointLimit(program, "floor", [&](int i) { return mask(i) - 40; }, 1)) {
        Say("million-point limit: not measured (the file was not loaded)\n");
        return false;
    }
    program.Panel().findChild<QComboBox *>("cboLimKind1")->setCurrentIndex(1);
    ShowLimits(program, false);
    const double without = TracesPerSecond(program, 80);
    ShowLimits(program, true);
    Say("acquisition with two million-point limit lines shown and judged, %s: %.2f traces/s (%.2f/s just before "
        "without them)\n",
        size, TracesPerSecond(program, 80), without);
    ReportLatency("ui latency with two million-point limit lines judged", MeasureLatency(5s));
    ShowLimits(program, false);
    return true;
}

// A redraw without the limit lines, with both masks judged, and with the worst a million points
// can ask of the drawing in limit 1: a zigzag of 20 dB, which fills its band in every column.
void ReportLimitRedraw(tavrin::Program &program)
{
    const double none = MeanRedrawMs(program);
    ShowLimits(program, true);
    const double masks = MeanRedrawMs(program);
    const double top = tavrin::NumericValue(program.Panel().Basic().State().refLevelDbm) - 30;
    if (ChooseMillionPointLimit(program, "zigzag", [&](int i) { return i % 2 ? top : top - 20; }))
        Say("redraw at 1920x1080: %.2f ms without limit lines, %.2f ms with both million-point masks judged, %.2f ms "
            "with a 20 dB zigzag of a million points beside the lower mask (means of 20)\n",
            none, masks, MeanRedrawMs(program));
}

}  // namespace tavrin::bench
