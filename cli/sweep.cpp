#include "cli/sweep.h"

#include "cli/output.h"
#include "cli/publish_sink.h"
#include "cli/session.h"
#include "cli/stop_signals.h"
#include "common/safe_file.h"
#include "record/record_csv.h"
#include "record/record_survey.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
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
    plan.publish = line.Has("mqtt");
    if ((line.Has("csv") && plan.csvPath.empty()) || (line.Has("record") && plan.recordPath.empty()))
        return "--csv and --record take a file name";
    if (std::string why = ReadCsvFormat(line, plan.survey); !why.empty())
        return why;
    if (plan.csvPath.empty() && plan.recordPath.empty() && !plan.json && !plan.publish)
        return "nothing to do: give --csv FILE, --record FILE, --json or --mqtt URL";
    if (plan.csvPath == "-" && plan.json)
        return "--csv - and --json cannot both go to standard output";
    if (!plan.csvPath.empty() && plan.csvPath == plan.recordPath)
        return "--csv and --record name the same file";
    return {};
}

SweepFiles::~SweepFiles()
{
    Close();
    if (recordLock_ >= 0)
        close(recordLock_);
}

std::string SweepFiles::OpenRecordFile(const std::string &path)
{
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
        if (errno != ENOENT)
            return ErrnoText(path, errno);
        if (std::string why = CreateRecordFile(path); !why.empty())
            return why;
    } else if (!S_ISREG(st.st_mode)) {
        return path + " is not a plain file";
    }
    recordLock_ = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (recordLock_ < 0)
        return ErrnoText(path, errno);
    // Two sweeps appending to one file would write over each other's records.
    if (flock(recordLock_, LOCK_EX | LOCK_NB) != 0)
        return path + " is being written by another sweep";
    if (fstat(recordLock_, &st) != 0)
        return ErrnoText(path, errno);
    const auto size = static_cast<uint64_t>(st.st_size);
    nextRecord_ = static_cast<int64_t>(size / kRecordBytes);
    if (size % kRecordBytes != 0)
        Complain("note: the last " + std::to_string(size % kRecordBytes) + " bytes of " + path +
                 " are not a whole record (a write cut short); the sweep writes over them.");
    recordPath_ = path;
    return {};
}

std::string SweepFiles::Open(const SweepPlan &plan)
{
    json_ = plan.json;
    survey_ = plan.survey;
    if (!plan.recordPath.empty())
        if (std::string why = OpenRecordFile(plan.recordPath); !why.empty())
            return why;
    if (plan.csvPath == "-") {
        csvFd_ = STDOUT_FILENO;
    } else if (!plan.csvPath.empty()) {
        csvFd_ = open(plan.csvPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (csvFd_ < 0)
            return ErrnoText(plan.csvPath, errno);
        csvOwned_ = true;
    }
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
    if (!recordPath_.empty() && record.Filled()) {
        error_ = AppendRecord(recordPath_, nextRecord_, record);
        if (!error_.empty())
            return Written::Failed;
        ++nextRecord_;
    } else if (!recordPath_.empty() && !std::exchange(warnedUnrecordable_, true)) {
        // Readers of a record file take a centre of 0 for its end.
        Complain("note: traces at a centre of 0 MHz cannot be kept in a record file; they are left out of " +
                 recordPath_ + ".");
    }
    if (csvFd_ >= 0) {
        std::string text;
        if (!survey_)
            text = (std::exchange(csvHeaderWritten_, true) ? "" : CsvHeader(&record)) +
                   CsvRow(CsvTime(record.time), record, false);
        else if ((text = SurveyCsvLine(record)).empty() && !std::exchange(warnedNoAxis_, true))
            Complain("note: traces at zero span have no frequency axis; they are left out of the survey CSV.");
        const Written w = text.empty() ? Written::Ok
                                       : WriteText(csvFd_, text, csvOwned_ ? "the CSV file" : "standard output");
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

// How many fetches in a row may bring no valid trace before an interval sweep gives up.
constexpr int kFailedFetchesInARow = 3;

class SweepRun {
public:
    SweepRun(CliLink &link, StopSignals &stop, const SweepPlan &plan, SweepFiles &files, PublishSink &publish)
        : link_(link), stop_(stop), plan_(plan), files_(files), publish_(publish),
          progress_(isatty(STDERR_FILENO) && !(plan.json && isatty(STDOUT_FILENO)))
    {
    }

    int Run()
    {
        Write(link_.S().Live());  // the trace that showed the analyzer answers is the first
        plan_.interval ? EveryInterval() : Continuous();
        progress_.Show(taken_, start_, true);
        Summary();
        return code_.value_or(kExitOk);
    }

private:
    // Blocks the line lost (refused, or fetched again inside the library) slow a sweep down
    // without failing it; they are told so that a poor cable does not pass unnoticed.
    void Summary() const
    {
        const unsigned lost = link_.S().Line().Rejected() - lostAtStart_;
        const unsigned timeouts = link_.S().Line().Timeouts() - timeoutsAtStart_;
        const double s = std::chrono::duration<double>(Clock::now() - start_).count();
        if (plan_.json)
            std::fprintf(stderr, "{\"traces\":%ld,\"seconds\":%.3f,\"lost_blocks\":%u,\"timeouts\":%u}\n", taken_,
                         s, lost, timeouts);
        else if (lost + timeouts > 0)
            Complain("note: " + std::to_string(lost) + " blocks were lost on the line and " +
                     std::to_string(timeouts) + " requests went unanswered; check the cable and the baud rate.");
    }
    bool Finished() const
    {
        return code_ || stop_.Requested() || (plan_.count && taken_ >= *plan_.count) || Clock::now() >= end_;
    }
    void Write(const TracePtr &t)
    {
        if (Finished())
            return;
        const TraceRecord record = MakeRecord(t->time, t->settings, t->points);
        publish_.Trace(record);
        switch (files_.Write(record)) {
        case SweepFiles::Written::Ok:
            break;
        case SweepFiles::Written::ReaderGone:
            code_ = kExitOk;
            return;
        case SweepFiles::Written::Failed:
            Complain("the sweep stopped: " + files_.Error() + ".");
            code_ = kExitFile;
            return;
        }
        progress_.Show(++taken_, start_);
    }
    // At the line's rate: every trace the session accepts.
    void Continuous()
    {
        const TraceBus::Connection sink = link_.S().Bus().Connect([this](const TracePtr &t) { Write(t); });
        link_.S().Line().Start(false);
        link_.Wait([this] {
            if (!code_ && link_.HasProblem()) {
                Complain(link_.TakeProblem());
                publish_.Link(PublishedStatus::NoAnswer);
                code_ = kExitNoAnswer;
            }
            return Finished();
        });
        link_.S().Stop();
    }
    // One trace each interval.
    void EveryInterval()
    {
        const auto interval = std::chrono::duration_cast<Clock::duration>(*plan_.interval);
        Clock::time_point next = start_ + interval;
        int failed = 0;
        while (!Finished()) {
            if (!link_.Wait([&] { return Finished() || Clock::now() >= next; }) || Finished())
                return;
            next = std::max(next + interval, Clock::now());
            bool silent = false;
            if (const TracePtr t = TakeTrace(link_, true, &silent)) {
                failed = 0;
                Write(t);
            } else if (++failed >= kFailedFetchesInARow || silent) {
                // A silent line will not answer the next request either.
                Complain(silent ? kSilentLineText : kGarbledLineText);
                publish_.Link(PublishedStatus::NoAnswer);
                code_ = kExitNoAnswer;
            }
        }
    }

    CliLink &link_;
    StopSignals &stop_;
    const SweepPlan &plan_;
    SweepFiles &files_;
    PublishSink &publish_;
    Progress progress_;
    const Clock::time_point start_ = Clock::now();
    const Clock::time_point end_ = plan_.duration
                                       ? start_ + std::chrono::duration_cast<Clock::duration>(*plan_.duration)
                                       : Clock::time_point::max();
    const unsigned lostAtStart_ = link_.S().Line().Rejected();
    const unsigned timeoutsAtStart_ = link_.S().Line().Timeouts();
    long taken_ = 0;
    std::optional<int> code_;
};

}  // namespace

int SweepCommand(const CommandLine &line)
{
    SweepPlan plan;
    if (std::string error = ReadSweepPlan(line, plan); !error.empty()) {
        Complain(error);
        return kExitUsage;
    }
    PublishSink publish;
    if (const int opened = publish.Open(line); opened != kExitOk)
        return opened;
    StopSignals stop;  // before the link and publishing threads, which must not take the signals
    CliLink link(&stop);
    stop.SetOnSecond([&link] { link.Instrument().Abandon(); });
    if (const int opened = OpenAnalyzer(link, ChosenPort(line)); opened != kExitOk)
        return opened;
    SweepFiles files;
    if (std::string why = files.Open(plan); !why.empty()) {
        Complain(why + ".");
        return kExitFile;
    }
    if (publish.Active())
        publish.Analyzer(link.S().Line().Serial());
    int code = SweepRun(link, stop, plan, files, publish).Run();
    if (std::string why = files.Close(); !why.empty() && code == kExitOk) {
        Complain(why + ".");
        code = kExitFile;
    }
    code = publish.Finish(code);
    stop.SetOnSecond({});
    if (link.Instrument().Busy()) {
        // Given up on a silent line: the call still inside the library cannot be interrupted,
        // and the library's clean-up must not run under it. The kernel releases the port.
        std::fflush(nullptr);
        _exit(code);
    }
    return code;
}

}  // namespace tavrin::cli
