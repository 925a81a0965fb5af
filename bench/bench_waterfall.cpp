// The waterfall in the benchmark: opened and maximised at full-HD size, and what one row costs.
#include "bench_support.h"

#include "shell/program.h"
#include "shell/waterfall_window.h"
#include "waterfall/waterfall_view.h"

#include <QAction>
#include <QCoreApplication>
#include <QMdiSubWindow>

#include <chrono>
#include <functional>
#include <utility>

namespace tavrin::bench {

using namespace std::chrono_literals;

// Opened from the menu.
bool OpenWaterfall(tavrin::Program &program)
{
    tavrin::MainFrame &frame = program.Frame();
    frame.findChild<QAction *>("mnuWaterfall")->trigger();
    tavrin::WaterfallWindow &waterfall = program.Waterfall();
    if (!waterfall.Window())
        return false;
    frame.showNormal();
    waterfall.SubWindow()->showMaximized();
    for (int i = 0; i < 4 && waterfall.Window()->size() != kFullHd; ++i) {
        frame.resize(frame.size() + kFullHd - waterfall.Window()->size());
        PumpFor(20ms);
    }
    return waterfall.Window()->size() == kFullHd;
}

// One row: the kept picture scrolled and one line drawn, then the window's pixels moved and the
// new row painted; and, for comparison, a repaint of the whole window.
void ReportWaterfall(tavrin::Program &program)
{
    tavrin::WaterfallView *window = program.Waterfall().Window();
    const tavrin::Trace *newest = window ? window->Rows().Newest() : nullptr;
    if (!newest) {
        Say("waterfall: not measured (no row came)\n");
        return;
    }
    const tavrin::Trace row = *newest;
    QCoreApplication::processEvents();
    const auto [addMean, addMedian] = Timed(50, [&] { window->Add(row); });
    const auto [rowMean, rowMedian] = Timed(50, [&] {
        window->Add(row);
        QCoreApplication::processEvents();  // the acquisition has stopped: only the painting is left
    });
    const auto [paintMean, paintMedian] = Timed(50, [&] { window->repaint(); });
    const QSize picture = window->Picture().Image().size();
    Say("waterfall row at %dx%d (picture %dx%d, maximised): %.2f ms (mean of 50), median %.2f ms; with its "
        "painting %.2f ms, median %.2f ms; a whole repaint of the window %.2f ms, median %.2f ms\n",
        window->width(), window->height(), picture.width(), picture.height(), addMean, addMedian, rowMean, rowMedian,
        paintMean, paintMedian);
}

}  // namespace tavrin::bench
