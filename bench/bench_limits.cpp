// The limit lines' part of the benchmark: two limit lines of a million points each, chosen in the
// Limit group as a user chooses them (the file read on a worker), shown and so judged on every
// trace, and the redraw they cost.
#include "bench_support.h"

#include "common/program_folder.h"
#include "common/text_number.h"
#include "display/display_window.h"
#include "measure/measurement_state.h"
#include "panel/control_panel.h"
#include "session/session.h"
#include "shell/main_frame.h"
#include "shell/program.h"
#include "limits/limit_group.h"

#include <QCheckBox>
#include <QComboBox>

#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace tavrin::bench {

namespace {

using namespace std::chrono_literals;

constexpr size_t kPoints = 1'000'000;

// A limit file of a million points over the screen and a little beyond, chosen in Limit 1 or 2
// (line 0 or 1); whether the session holds its points once the file is read.
bool ChooseMillionPointLimit(tavrin::Program &program, const char *name, const std::function<double(int)> &level,
                             int line)
{
    tavrin::Session &session = program.TheSession();
    const tavrin::MeasurementState &state = session.Settings().State();
    double start = tavrin::StartFreq(state), stop = tavrin::StopFreq(state);
    if (!(stop > start))
        start = 30, stop = 130;
    const double from = start - (stop - start) / 10, step = (stop - start) * 1.2 / static_cast<double>(kPoints);
    std::string bytes;
    bytes.reserve(16 * kPoints);
    for (int i = 0; i < static_cast<int>(kPoints); ++i)
        for (double v : {from + i * step, level(i)})
            for (int b = 0; b < 8; ++b)
                bytes += static_cast<char>(std::bit_cast<uint64_t>(v) >> (8 * b));
    std::filesystem::create_directories(tavrin::WorkingFolder());
    std::ofstream(tavrin::JoinPath(tavrin::WorkingFolder(), std::string(name) + ".lim"), std::ios::binary) << bytes;
    program.Panel().Limits().RefreshLimitSelector();
    auto *box = program.Panel().findChild<QComboBox *>(QString("cboLim%1").arg(line));
    const int entry = box->findText(name);
    if (entry < 0)
        return false;
    box->setCurrentIndex(entry);
    emit box->activated(entry);
    const auto k = static_cast<size_t>(line);
    return PumpUntil(
        [&] {
            const tavrin::LimitLine &l = session.Limits().Lines()[k];
            return l.selector == name && l.points.size() == kPoints;
        },
        kCap, 5ms);
}

double Top(tavrin::Program &program)
{
    return tavrin::NumericValue(program.TheSession().Settings().State().refLevelDbm) - 30;
}

double MeanRedrawMs(tavrin::Program &program)
{
    return Timed(20, [&] { program.Frame().Display().Redraw(); }).first;
}

}  // namespace

// Both limit lines shown (and so judged on every trace), or neither, as clicked.
void ShowLimits(tavrin::Program &program, bool shown)
{
    for (const char *name : {"chkLim0", "chkLim1"})
        if (auto *box = program.Panel().findChild<QCheckBox *>(name); box && box->isChecked() != shown)
            box->click();
}

// Limit 1 an upper line (a measured curve with 0.5 dB of noise), limit 2 a lower one 40 dB under
// it, both of a million points, shown.
bool ShowMillionPointLimits(tavrin::Program &program)
{
    const double top = Top(program);
    auto mask = [top](int i) { return top - 10 * std::sin(i * 2e-5) - static_cast<double>(i * 7919LL % 101) / 200.0; };
    if (!ChooseMillionPointLimit(program, "mask", mask, 0) ||
        !ChooseMillionPointLimit(program, "floor", [&](int i) { return mask(i) - 40; }, 1)) {
        Say("million-point limit lines: not loaded\n");
        return false;
    }
    auto *kind = program.Panel().findChild<QComboBox *>("cboLimKind1");
    kind->setCurrentIndex(1);
    emit kind->activated(1);
    ShowLimits(program, true);
    const tavrin::LimitLines &lines = program.TheSession().Limits().Lines();
    const bool ok = lines[0].shown && lines[1].shown && lines[0].kind == tavrin::LimitKind::Upper &&
                    lines[1].kind == tavrin::LimitKind::Lower;
    if (!ok)
        Say("million-point limit lines: loaded, but not shown as an upper and a lower line\n");
    return ok;
}

// A redraw without the limit lines, with both masks, and with the worst a million points can ask
// of the drawing in limit 1: a zigzag of 20 dB, which fills its band in every column.
void ReportLimitRedraw(tavrin::Program &program)
{
    const QSize size = program.Frame().Display().size();
    ShowLimits(program, false);
    const double none = MeanRedrawMs(program);
    ShowLimits(program, true);
    const double masks = MeanRedrawMs(program);
    const double top = Top(program);
    if (!ChooseMillionPointLimit(program, "zigzag", [&](int i) { return i % 2 ? top : top - 20; }, 0)) {
        Say("redraw with a million-point zigzag: not measured (the file was not loaded)\n");
        return;
    }
    Say("redraw at %dx%d: %.2f ms without limit lines, %.2f ms with both million-point masks, %.2f ms with a 20 dB "
        "zigzag of a million points beside the lower mask (means of 20)\n",
        size.width(), size.height(), none, masks, MeanRedrawMs(program));
}

}  // namespace tavrin::bench
