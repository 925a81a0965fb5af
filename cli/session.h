// The analyzer reached the way the program reaches it: the program's session on the same library,
// COM names and exclusive opening, run on this thread's event loop for as long as a command's step
// needs; what went wrong said on standard error in the words of the command line.
#pragma once

#include "cli/options.h"
#include "instrument/library_instrument.h"
#include "instrument/port_diagnosis.h"
#include "session/qt_timers.h"
#include "session/session.h"

#include <functional>
#include <string>

namespace tavrin::cli {

class StopSignals;

// "tavrin-cli: " + text on standard error.
void Complain(const std::string &text);
// text on standard output; false when it could not be written (a closed pipe).
bool WriteStdout(const std::string &text);
// Tells a usage error with the hint to --help; returns kExitUsage.
int Usage(const std::string &error);

// --port, else the port saved in Tavrin.Log (in --folder when given), else 1.
int ChosenPort(const CommandLine &line);

// The session of one command. A lost line ends the acquisition (a script decides what then),
// and every setting is confirmed from the analyzer's reports, acquiring or not.
class CliLink {
public:
    // stop: the signals that end a wait (the second one at once); may be null.
    explicit CliLink(const StopSignals *stop = nullptr);
    ~CliLink();
    CliLink(const CliLink &) = delete;
    CliLink &operator=(const CliLink &) = delete;

    Session &S() { return session_; }
    LibraryInstrument &Instrument() { return instrument_; }
    // Runs the event loop until done() holds; false when a second stop request ended the wait.
    bool Wait(const std::function<bool()> &done);
    // A problem the session told since the last call (a lost line), or "".
    std::string TakeProblem();
    bool HasProblem() const { return !problem_.empty(); }

private:
    const StopSignals *stop_;
    LibraryInstrument instrument_;
    QtTimers timers_;
    Session session_;
    std::string problem_;
};

// Opens COMn, checks that the analyzer answers and takes its first trace. kExitOk, or the exit
// code after the reason was told: kExitPort when the port cannot be had, kExitNoAnswer when nothing
// answers.
int OpenAnalyzer(CliLink &link, int port);
// A fresh trace with its report; null when none comes, told unless quiet; silent says whether
// the line said nothing at all.
TracePtr TakeTrace(CliLink &link, bool quiet = false, bool *silent = nullptr);
// A setting applied as the panel applies it, then waited for; false when it was not confirmed
// (told, naming what and what the analyzer still reports).
bool Confirmed(CliLink &link, const std::string &what, const std::function<std::string(const AnalyzerSettings &)> &shown);

}  // namespace tavrin::cli
