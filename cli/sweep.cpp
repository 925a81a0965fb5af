#include "cli/sweep.h"

#include "cli/output.h"
#include "cli/session.h"
#include "cli/stop_signals.h"
#include "common/safe_file.h"
#include "record/record_csv.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tavrin::cli {

using Clock = std::chrono::steady_clock;

namespace {

// Seconds of a duration option: positive, and within what the clock can add up.
std::optional<std::chrono::duration<double>> Seconds(const CommandLine &line, const std::string &name,
                                                     std::string &error)
{
    if (!line.Has(name))
        return std::nullopt;
    const std::optional<double> s = ParseNumber(line.Value(name));
    if (!s || *s <= 0 || *s > 1e9)
        error = "--" + name + " takes a number of seconds above 0, not \"" + line.Value(name) + "\"";
    return std::chrono::duration<double>(s.value_or(0));
}

}  // namespace

std::string ReadSweepPlan(const CommandLine &line, SweepPlan &plan)
{
    std::string error;
    if (line.Has("count")) {
        plan.count = ParseInteger(line.Value("count"), 1, LONG_MAX);
        if (!plan.count)
            return "--count takes a whole number of traces from 1, not \"" + line.Value("count") + "\"";
    }
    plan.duration = Seconds(line, "duration", error);
    plan.interval = Seconds(line, "interval", error);
    if (!error.empty())
        return error;
    plan.csvPath = line.Has("csv") ? line.Value("csv") : "";
    plan.recordPath = line.Has("record") ? line.Value("record") : "";
    plan.json = line.Has("json");
    if ((line.Has("csv") && plan.csvPath.empty()) || (line.Has("record") && plan.recordPath.empty()))
        return "--csv and --record take a file name";
    if (plan.csvPath.empty() && plan.recordPath.empty() && !plan.json)
        return "nothing to write: give --csv FILE, --record FILE or --json";
    if (plan.csvPath == "-" && plan.json)
        return "--csv - and --json cannot both go to standard output";
    if (!plan.csvPath.empty() && plan.csvPath == plan.recordPath)
        return "--csv and --record name the same file";
    return {};
}

SweepFiles::~SweepFiles() { Close(); }

std::string SweepFiles::OpenRecordFile(const std::string &path)
{
    switch (record_.Open(path, RecordAppender::Mode::Append)) {
    case RecordAppender::Opened::Ok:
        break;
    case RecordAppender::Opened::NotRecords:
        return record_.Error() + "; nothing was written to it. Name a new file or a record file with --record";
    case RecordAppender::Opened::Busy:
    case RecordAppender::Opened::Failed:
        return record_.Error();
    }
    if (!record_.Note().empty())
        Complain("note: " + record_.Note() + ".");
    return {};
}

std::string SweepFiles::OpenCsvFile(const std::string &path, StopSignals &stop)
{
    // The record file by another name (a link) would be emptied by the opening.
    struct stat csv {}, record {};
    if (record_.IsOpen() && stat(path.c_str(), &csv) == 0 && stat(record_.Path().c_str(), &record) == 0 &&
        csv.st_dev == record.st_dev && csv.st_ino == record.st_ino)
        return "--csv " + path + " is the record file " + record_.Path() + " by another name";
    csvFd_ = OpenForWritingUntilStopped(path, O_CREAT | O_TRUNC | O_CLOEXEC, stop);
    if (csvFd_ < 0)
        return errno == EINTR ? "" : ErrnoText(path, errno);
    csvOwned_ = true;
    return {};
}

std::string SweepFiles::Open(const SweepPlan &plan, StopSignals &stop)
{
    json_ = plan.json;
    if (!plan.recordPath.empty())
        if (std::string why = OpenRecordFile(plan.recordPath); !why.empty())
            return why;
    if (plan.csvPath == "-")
        csvFd_ = STDOUT_FILENO;
    else if (!plan.csvPath.empty())
        return OpenCsvFile(plan.csvPath, stop);
    return {};
}

SweepFiles::Written SweepFiles::WriteText(int fd, const std::string &text, const std::string &what)
{
    if (WriteAll(fd, reinterpret_cast<const uint8_t *>(text.data()), text.size()))
        return Written::Ok;
    if (errno == EPIPE && fd == STDOUT_FILENO)
        return Written::ReaderGone;
    error_ = ErrnoText(what, errno);
    return Written::Failed;
}

SweepFiles::Written SweepFiles::Write(const TraceRecord &record)
{
    if (record_.IsOpen() && record.Filled()) {
        error_ = record_.Append(record);
        if (!error_.empty())
            return Written::Failed;
        if (record_.Count() == kMaxLoadedRecords)
            Complain("note: " + record_.Path() + " now holds " + std::to_string(kMaxLoadedRecords) +
                     " records, as many as TavrinRemote's Load takes; the sweep goes on, and tavrin-cli convert "
                     "reads the whole file.");
    } else if (record_.IsOpen() && !std::exchange(warnedUnrecordable_, true)) {
        // Readers of a record file take a centre of 0 for its end.
        Complain("note: traces at a centre of 0 MHz cannot be kept in a record file; they are left out of " +
                 record_.Path() + ".");
    }
    if (csvFd_ >= 0) {
        const std::string header = std::exchange(csvHeaderWritten_, true) ? "" : CsvHeader(&record);
        const Written w = WriteText(csvFd_, header + CsvRow(CsvTime(record.time), record, false),
                                    csvOwned_ ? "the CSV file" : "standard output");
        if (w != Written::Ok)
            return w;
    }
    return json_ ? WriteText(STDOUT_FILENO, TraceJsonLine(record), "standard output") : Written::Ok;
}

std::string SweepFiles::Close()
{
    if (!csvOwned_ || csvFd_ < 0)
        return {};
    const int fd = std::exchange(csvFd_, -1);
    return close(fd) == 0 ? "" : ErrnoText("the CSV file", errno);
}

namespace {

// "12 traces, 5.64/s, 0:02" on a terminal, rewritten in place.
class Progress {
public:
    explicit Progress(bool on) : on_(on) {}
    void Show(long traces, Clock::time_point start, bool last = false)
    {
        const Clock::time_point now = Clock::now();
        if (!on_ || (!last && now - shown_ < std::chrono::milliseconds(500)))
            return;
        shown_ = now;
        const double s = std::chrono::duration<double>(now - start).count();
        std::fprintf(stderr, "\r%ld traces, %.2f/s, %ld:%02ld%s", traces, s > 0 ? traces / s : 0.0,
                     static_cast<long>(s) / 60, static_cast<long>(s) % 60, last ? "\n" : "");
    }

private:
    bool on_;
    Clock::time_point shown_{};
};

// How many fetches in a row may bring no valid trace before the sweep gives up.
constexpr int kFailedFetchesInARow = 3;

int Run(TavrinDLL &dll, StopSignals &stop, const SweepPlan &plan, SweepFiles &files)
{
    const Clock::time_point start = Clock::now();
    const auto end = plan.duration ? start + std::chrono::duration_cast<Clock::duration>(*plan.duration)
                                   : Clock::time_point::max();
    Clock::time_point next = start;
    Progress progress(isatty(STDERR_FILENO) && !(plan.json && isatty(STDOUT_FILENO)));
    long taken = 0;
    int failed = 0;
    while (!stop.Requested() && (!plan.count || taken < *plan.count) && Clock::now() < end) {
        if (plan.interval) {
            if (next >= end || stop.WaitUntil(next))
                break;
            next = std::max(next + std::chrono::duration_cast<Clock::duration>(*plan.interval), Clock::now());
        }
        if (!dll.FetchTrace()) {
            if (stop.Requested())
                break;  // given up at the second Ctrl+C
            if (!dll.LastFetchSilent() && ++failed < kFailedFetchesInARow)
                continue;
            TellFetchFailed(dll);
            return kExitNoAnswer;
        }
        failed = 0;
        switch (files.Write(MakeRecord(std::time(nullptr), dll.Report(), dll.Trace().points))) {
        case SweepFiles::Written::Ok:
            break;
        case SweepFiles::Written::ReaderGone:
            return kExitOk;
        case SweepFiles::Written::Failed:
            Complain("the sweep stopped: " + files.Error() + ".");
            return kExitFile;
        }
        progress.Show(++taken, start);
    }
    progress.Show(taken, start, true);
    return kExitOk;
}

}  // namespace

int SweepCommand(const CommandLine &line)
{
    SweepPlan plan;
    if (std::string error = ReadSweepPlan(line, plan); !error.empty()) {
        Complain(error);
        return kExitUsage;
    }
    StopSignals stop;  // before the link thread, which must not take the signals
    StderrDialogs dialogs;
    TavrinDLL dll(dialogs);
    const StopCallbacks callbacks(stop);
    stop.SetOnSecond([&dll] { dll.Abandon(); });
    stop.SetWaitingFor([&dll] {
        return dll.CallInFlight() ? "the analyzer answers the request on the line (up to about 20 s when it is silent)"
                                  : std::string();
    });
    if (const int opened = OpenAnalyzer(dll, ChosenPort(line)); opened != kExitOk)
        return opened;
    SweepFiles files;
    if (std::string why = files.Open(plan, stop); !why.empty()) {
        Complain(why + ".");
        return kExitFile;
    }
    int code = Run(dll, stop, plan, files);
    if (std::string why = files.Close(); !why.empty() && code == kExitOk) {
        Complain(why + ".");
        code = kExitFile;
    }
    stop.SetOnSecond({});
    if (dll.CallInFlight()) {
        // Given up on a silent line: the call still inside the library cannot be interrupted,
        // and the library's clean-up must not run under it. The kernel releases the port.
        std::fflush(nullptr);
        _exit(code);
    }
    return code;
}

}  // namespace tavrin::cli
