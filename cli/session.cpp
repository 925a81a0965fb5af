#include "cli/session.h"

#include "cli/stop_signals.h"

#include "common/program_folder.h"
#include "common/safe_file.h"
#include "settings/operation_file.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <utility>

#include <unistd.h>

namespace tavrin::cli {

void Complain(const std::string &text) { std::fprintf(stderr, "tavrin-cli: %s\n", text.c_str()); }

bool WriteStdout(const std::string &text)
{
    return WriteAll(STDOUT_FILENO, reinterpret_cast<const uint8_t *>(text.data()), text.size());
}

int Usage(const std::string &error)
{
    Complain(error + " (tavrin-cli COMMAND --help tells the options)");
    return kExitUsage;
}

int ChosenPort(const CommandLine &line)
{
    if (line.Has("port"))
        return static_cast<int>(*ParseInteger(line.Value("port"), 1, 4));
    OperationFile saved = DefaultOperation();
    LoadOperation(OperationFilePath(), saved);
    return saved.ComPortSetting >= 1 && saved.ComPortSetting <= 4 ? saved.ComPortSetting : 1;
}

CliLink::CliLink(const StopSignals *stop)
    : stop_(stop), session_({instrument_, timers_, [] { return std::time(nullptr); },
                             [](int port) { return GatherPortFacts(port); }, PortTargetText, {}, {}})
{
    session_.Line().SetReconnect(false);
    session_.Settings().SetConfirmAlways(true);
    QObject::connect(&session_, &Session::problem, [this](const QString &, const QString &text) {
        if (problem_.empty())
            problem_ = text.toStdString();
    });
}

CliLink::~CliLink() { session_.Halt(); }

bool CliLink::Wait(const std::function<bool()> &done)
{
    if (done())
        return true;
    // Looked at after every turn of the loop; the loop ends once it holds.
    QTimer poll;
    poll.setInterval(2);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done() || (stop_ && stop_->Insisted()))
            QCoreApplication::quit();
    });
    poll.start();
    QCoreApplication::exec();
    return done();
}

std::string CliLink::TakeProblem() { return std::exchange(problem_, {}); }

int OpenAnalyzer(CliLink &link, int port)
{
    // Asked before the port is opened, so that our own opening is not taken for another's.
    PortDiagnosis d = DiagnosePort(port);
    if (d.cause != PortCause::NoAnswer) {
        Complain(CommandLineText(d));
        return kExitPort;
    }
    link.S().Line().SelectPort(port);
    bool done = false;
    TracePtr trace;
    std::string why;
    link.S().Single([&](const TracePtr &t, const std::string &w) { trace = t, why = w, done = true; });
    link.Wait([&] { return done; });
    if (trace)
        return kExitOk;
    // Another program may have taken the port in the meantime: ours is let go before asking.
    bool closed = false;
    link.Instrument().SelectPort(0, [&](const PortSelected &) { closed = true; });
    link.Wait([&] { return closed; });
    d = DiagnosePort(port);
    if (d.cause != PortCause::NoAnswer) {
        Complain(CommandLineText(d));
        return kExitPort;
    }
    link.TakeProblem();
    // The session's own words when the line answered with garbage; otherwise why nothing answers.
    Complain(why.find("Communication Error!") == 0 || why.empty() ? CommandLineText(d) : why);
    return kExitNoAnswer;
}

TracePtr TakeTrace(CliLink &link, bool quiet, bool *silent)
{
    bool done = false;
    TracePtr trace;
    std::string why;
    link.S().Single(
        [&](const TracePtr &t, const std::string &w) {
            trace = t, why = w, done = true;
        },
        false);
    link.Wait([&] { return done; });
    if (silent)
        *silent = !trace && why == kSilentLineText;
    if (!trace && !quiet)
        Complain(why.empty() ? "no trace came." : why);
    return trace;
}

bool Confirmed(CliLink &link, const std::string &what, const std::function<std::string(const AnalyzerSettings &)> &shown)
{
    link.Wait([&] { return !link.S().Line().JobsPending(); });
    const JobResult &r = link.S().Settings().LastApply();
    if (r.confirmed)
        return true;
    if (r.silent && r.reads <= 1)
        Complain("the analyzer stopped answering while the " + what +
                 " was sent. Check the cable and that it is switched on.");
    else
        Complain("the analyzer did not confirm the " + what + ": after " + std::to_string(r.reads) +
                 " traces it still reports " + shown(r.reported) +
                 ". Check that it echoes commands and is not in tracking generator mode (tavrin-cli tg --mode off).");
    return false;
}

}  // namespace tavrin::cli
