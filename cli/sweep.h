// tavrin-cli sweep: traces taken one after another (or one per interval) and written, each one
// whole, to a record file, a CSV file and JSON lines.
#pragma once

#include "cli/options.h"
#include "record/record_appender.h"

#include <chrono>
#include <optional>
#include <string>

namespace tavrin::cli {

class StopSignals;

struct SweepPlan {
    std::optional<long> count;
    std::optional<std::chrono::duration<double>> duration;
    std::optional<std::chrono::duration<double>> interval;
    std::string csvPath;     // "" none, "-" standard output
    std::string recordPath;  // "" none
    bool json = false;
    bool survey = false;   // --format rtl_power: the CSV file as survey lines
    bool publish = false;  // --mqtt: publishing alone is something to do
};

// The plan of a sweep's options; "" or the usage error.
std::string ReadSweepPlan(const CommandLine &line, SweepPlan &plan);

// Where a sweep's traces go. Each trace is one write per file: a record of the record file
// (flushed to the device before Write returns, as the program's continuous recording does), a CSV
// row (or survey line), a JSON line.
class SweepFiles {
public:
    enum class Written { Ok, ReaderGone, Failed };

    ~SweepFiles();
    // Opens what the plan names: the record file to append to (created when missing, locked
    // against a second writer, refused untouched when it is no record file), the CSV file
    // replaced (a FIFO waited on until it is read or the sweep is stopped). "" or the reason.
    std::string Open(const SweepPlan &plan, StopSignals &stop);
    Written Write(const TraceRecord &record);
    // Closes the CSV file; "" or the reason.
    std::string Close();
    const std::string &Error() const { return error_; }
    int64_t RecordsInFile() const { return record_.Count(); }

private:
    std::string OpenRecordFile(const std::string &path);
    std::string OpenCsvFile(const std::string &path, StopSignals &stop);
    Written WriteText(int fd, const std::string &text, const std::string &what);

    RecordAppender record_;
    bool warnedUnrecordable_ = false;
    int csvFd_ = -1;
    bool csvOwned_ = false;
    bool csvHeaderWritten_ = false;
    bool survey_ = false;
    bool warnedNoAxis_ = false;
    bool json_ = false;
    std::string error_;
};

// Runs the sweep command: kExitOk or the exit code after the reason was told.
int SweepCommand(const CommandLine &line);

}  // namespace tavrin::cli
