// A modal box open for ten seconds during the acquisition: opened from a timer with the program's
// own message box (exec()'d: a nested event loop), closed by another timer. Traces should keep
// coming at the rate of just before, and the status bar should keep saying "acquiring".
#include "bench_program.h"

#include "session/session.h"
#include "shell/main_frame.h"
#include "shell/program.h"
#include "shell/qt_dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tavrin::bench {

using namespace std::chrono_literals;

namespace {

constexpr auto kOpenFor = 10s;

// The state the label shows: "COM1: /dev/pts/3  |  acquiring  |  5.6 traces/s  |  ..." gives "acquiring".
std::string LabelState(const QString &label)
{
    const QStringList fields = label.split('|');
    return (fields.size() > 1 ? fields[1] : label).trimmed().toStdString();
}

bool CloseModalBox(tavrin::Program &program)
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box)
        box = program.Frame().findChild<QMessageBox *>();
    if (!box)
        return false;
    box->done(QMessageBox::Ok);
    return true;
}

struct ModalRun {
    std::optional<Clock::time_point> opened, closed;
    std::vector<std::string> labelStates;    // the status bar's label, once a second
    std::vector<std::string> sessionStates;  // StateText(session.Status().state) at the same moments
    std::string lastLabel;
    bool closedByTimer = false;
    std::vector<double> late;
};

void OpenModal(BenchProgram &p, ModalRun &run)
{
    tavrin::QtDialogs dialogs;
    dialogs.SetParent(&p.program->Frame());
    QObject context;
    QTimer look;
    look.setTimerType(Qt::PreciseTimer);
    QObject::connect(&look, &QTimer::timeout, &context, [&] {
        run.lastLabel = p.StatusLabel().toStdString();
        run.labelStates.push_back(LabelState(p.StatusLabel()));
        run.sessionStates.push_back(tavrin::StateText(p.S().Status().state));
    });
    QTimer::singleShot(0, &context, [&] {
        QTimer::singleShot(kOpenFor, Qt::PreciseTimer, &context,
                           [&] { run.closedByTimer = CloseModalBox(*p.program); });
        look.start(1000);
        LatencyBegin();
        run.opened = Clock::now();
        dialogs.ShowMessage("TavrinRemote", "A modal box the bench opened during the acquisition; it closes by itself.");
        run.closed = Clock::now();
        run.late = LatencyEnd();
        look.stop();
    });
    PumpUntil([&] { return run.closed.has_value(); }, kOpenFor + kCap, 10ms);
}

std::string Joined(const std::vector<std::string> &words)
{
    std::map<std::string, int> counts;
    for (const std::string &w : words)
        ++counts[w];
    std::string text;
    for (const auto &[word, n] : counts)
        text += (text.empty() ? "" : ", ") + word + " x" + std::to_string(n);
    return text.empty() ? "(none)" : text;
}

}  // namespace

void ModalDialog(BenchProgram &p)
{
    Phase(p.name + ": just before the modal box");
    const Rate before = AcquisitionWindow(p, kOpenFor, "10 s just before a modal box");

    Phase(p.name + ": modal box open");
    ModalRun run;
    OpenModal(p, run);
    if (!run.opened || !run.closed) {
        Say("modal box: did not close within %lld s; not measured\n", static_cast<long long>((kOpenFor + kCap).count()));
        return;
    }
    const double open = std::chrono::duration<double>(*run.closed - *run.opened).count();
    const Rate during = RateOf(p.traces->Between(*run.opened, *run.closed), open);
    Say("modal box open %.2f s (closed by the timer: %s): %.2f traces/s from first to last trace (%zu traces, "
        "%.2f/s counted) against %.2f/s (%.2f/s counted) in the 10 s just before: %.3fx\n",
        open, run.closedByTimer ? "yes" : "no", during.steady, during.traces, during.Counted(), before.steady,
        before.Counted(), before.steady > 0 ? during.steady / before.steady : 0.0);
    Say("status bar while it was open, once a second: label \"lblLinkStatus\" said %s; the session's state %s\n",
        Joined(run.labelStates).c_str(), Joined(run.sessionStates).c_str());
    Say("  last look at the label: %s\n", run.lastLabel.c_str());
    ReportLatency("window latency with the modal box open", run.late);
}

}  // namespace tavrin::bench
