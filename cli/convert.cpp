// convert: a record file of any length turned into CSV or JSON lines a record at a time, without
// an analyzer.
#include "cli/commands.h"

#include "cli/output.h"
#include "cli/session.h"
#include "common/safe_file.h"
#include "record/record_csv.h"
#include "record/record_reader.h"
#include "record/record_survey.h"

#include <cerrno>
#include <utility>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin::cli {

namespace {

bool WriteOut(const std::string &text)
{
    return WriteAll(STDOUT_FILENO, reinterpret_cast<const uint8_t *>(text.data()), text.size());
}

bool SameFile(const struct stat &st, const RecordReader &input)
{
    return st.st_dev == input.Device() && st.st_ino == input.Inode();
}

// Why the output cannot go where it is named: it is the record file itself (by another name, a
// link or a redirection), or it is no plain file that could be replaced.
std::string OutputProblem(const std::string &csv, bool toStdout, const RecordReader &input, const std::string &path)
{
    struct stat st {};
    if (toStdout && fstat(STDOUT_FILENO, &st) == 0 && SameFile(st, input))
        return "standard output is the record file " + path + " itself: write to another file";
    if (csv.empty() || csv == "-" || stat(csv.c_str(), &st) != 0)
        return {};  // a new file, or the writing says why not
    if (SameFile(st, input))
        return csv + " is the record file " + path + " itself (the same file" +
               (csv == path ? "" : " under another name") + "): name another file for the CSV";
    if (!S_ISREG(st.st_mode))
        return csv + " is not a plain file; --csv - writes to standard output";
    return {};
}

// Survey lines, about a megabyte at a time; traces at zero span have none.
RecordWalk StreamSurvey(RecordReader &reader, int64_t &leftOut, const std::function<bool(const std::string &)> &write)
{
    std::string text;
    RecordWalk walk = WalkRecords(reader, [&](const TraceRecord &r) {
        const std::string line = SurveyCsvLine(r);
        leftOut += line.empty();
        text += line;
        return text.size() < (size_t{1} << 20) || write(std::exchange(text, {}));
    });
    if (walk.ok && !walk.stopped && !write(text))
        walk.stopped = true;
    return walk;
}

// The CSV to a file replaced whole (nothing of it is left when it fails) or to standard output.
// kExitOk, or the exit code after the reason was told.
int WriteCsv(RecordReader &reader, const std::string &csv, bool survey, RecordWalk &walk)
{
    int64_t leftOut = 0;
    const auto stream = [&](const std::function<bool(const std::string &)> &write) {
        walk = survey ? StreamSurvey(reader, leftOut, write) : StreamRecordCsv(reader, false, write);
        if (leftOut)
            Complain("note: traces at zero span have no frequency axis: " + std::to_string(leftOut) +
                     " left out of the survey CSV.");
    };
    if (csv == "-") {
        stream(WriteOut);
        if (walk.stopped && errno != EPIPE) {
            Complain("the CSV was not written: " + ErrnoText("standard output", errno) + ".");
            return kExitFile;
        }
        return kExitOk;
    }
    FileReplacement file(csv);
    if (!file.Open()) {
        Complain("the CSV file was not written: " + file.Error() + ".");
        return kExitFile;
    }
    stream([&](const std::string &text) { return file.Write(text.data(), text.size()); });
    if (walk.ok && (walk.stopped || !file.Commit())) {
        Complain("the CSV file was not written: " + file.Error() + ".");
        return kExitFile;
    }
    return kExitOk;
}

}  // namespace

int ConvertCommand(const CommandLine &line)
{
    const bool json = line.Has("json");
    const std::string csv = line.Has("csv") ? line.Value("csv") : "";
    bool survey = false;
    if (std::string why = ReadCsvFormat(line, survey); !why.empty()) {
        Complain(why + " (tavrin-cli convert --help tells the options)");
        return kExitUsage;
    }
    if (!json && csv.empty()) {
        Complain("nothing to write: give --csv OUT or --json (tavrin-cli convert --help tells the options)");
        return kExitUsage;
    }
    if (json && csv == "-") {
        Complain("--csv - and --json cannot both go to standard output (tavrin-cli convert --help tells the options)");
        return kExitUsage;
    }
    const std::string &path = line.operands.front();
    RecordReader reader;
    const RecordFileKind kind = reader.Open(path);
    if (kind == RecordFileKind::Failed || kind == RecordFileKind::NotRecords) {
        Complain((kind == RecordFileKind::Failed ? "the record file was not read: " : "") + reader.Error() +
                 ". Nothing was converted.");
        return kExitFile;
    }
    if (const std::string why = OutputProblem(csv, json || csv == "-", reader, path); !why.empty()) {
        Complain(why + ". Nothing was converted.");
        return kExitFile;
    }
    RecordWalk walk;
    if (!csv.empty())
        if (const int code = WriteCsv(reader, csv, survey, walk); code != kExitOk)
            return code;
    if (json && walk.ok) {
        walk = WalkRecords(reader, [](const TraceRecord &r) { return WriteOut(TraceJsonLine(r)); });
        if (walk.stopped && errno != EPIPE) {
            Complain("the JSON lines were not written: " + ErrnoText("standard output", errno) + ".");
            return kExitFile;
        }
    }
    if (!walk.ok) {
        Complain("the record file was not read to its end: " + reader.Error() + ".");
        return kExitFile;
    }
    if (walk.impossible)
        Complain(std::to_string(walk.impossible) + " records of the file hold values the analyzer cannot give (a "
                 "damaged file?); they are left out.");
    else if (walk.taken == 0 && !walk.stopped)
        Complain("note: " + path + " holds no records.");
    return kExitOk;
}

}  // namespace tavrin::cli
