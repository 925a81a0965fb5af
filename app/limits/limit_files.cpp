// The Limit group's file work: limit files made from the trace and from CSV files, and written as
// CSV files.
#include "common/dialogs.h"
#include "common/program_folder.h"
#include "common/safe_file.h"
#include "common/text_number.h"
#include "limits/limit_file.h"
#include "limits/limit_group.h"
#include "limits/limit_making.h"
#include "widgets/file_job.h"

#include <QFile>
#include <cmath>
#include <filesystem>
#include <memory>

namespace tavrin {

namespace {

constexpr char kCsvFilter[] = "CSV files (*.csv);;All files (*)";
constexpr uint64_t kMaxCsvBytes = 64u << 20;

// A whole number from lowest to highest, or none.
std::optional<int> WholeCount(const std::string &text, int lowest, int highest)
{
    const std::optional<double> n = WholeNumber(text);
    if (!n || *n != std::floor(*n) || *n < lowest || *n > highest)
        return std::nullopt;
    return static_cast<int>(*n);
}

std::string BaseName(const std::string &path, const std::string &ending)
{
    std::string name = std::filesystem::path(path).filename().string();
    if (name.size() > ending.size() && name.compare(name.size() - ending.size(), ending.size(), ending) == 0)
        name.resize(name.size() - ending.size());
    return name;
}

bool Exists(const std::string &path)
{
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

}  // namespace

void LimitGroup::NewFromTrace()
{
    const char *title = "New limit line from trace";
    const TracePoints *shown = d_.readTrace();
    if (!shown) {
        d_.dialogs.ShowMessage(title, "There is no trace on the screen to make a limit line from: press Start, or "
                                      "play a record, first.");
        return;
    }
    // Taken now: the form lets the acquisition go on.
    const TracePoints trace = *shown;
    const MeasurementState state = d_.state();
    const std::optional<std::vector<std::string>> form =
        d_.dialogs.AskForm(title, {{"Name", "from_trace", {}},
                                   {"Kind", "Upper", {"Upper", "Lower"}},
                                   {"Margin (dB)", "3", {}},
                                   {"Widen (points either side)", "0", {}},
                                   {"At most (points)", std::to_string(kScreenPoints), {}}});
    if (!form || form->size() != 5)
        return;
    const std::vector<std::string> &f = *form;
    const std::optional<double> margin = WholeNumber(f[2]);
    const std::optional<int> widen = WholeCount(f[3], 0, 50), most = WholeCount(f[4], 2, kScreenPoints);
    std::string problem;
    if (!margin || *margin < 0 || *margin > 80)
        problem = "The margin \"" + f[2] + "\" is not a number of dB from 0 to 80.";
    else if (!widen)
        problem = "The widening \"" + f[3] + "\" is not a whole number of points from 0 to 50.";
    else if (!most)
        problem = "The number of points \"" + f[4] + "\" is not a whole number from 2 to " +
                  std::to_string(kScreenPoints) + ".";
    const LimitRecipe recipe{f[1] == "Lower" ? LimitKind::Lower : LimitKind::Upper, margin.value_or(0),
                             widen.value_or(0), most.value_or(kScreenPoints)};
    const std::vector<LimitPoint> points = problem.empty() ? LimitFromTrace(state, trace, recipe)
                                                           : std::vector<LimitPoint>{};
    if (problem.empty() && points.empty())
        problem = "At zero span the screen shows no frequencies to make a limit line over.";
    if (!problem.empty()) {
        d_.dialogs.ShowMessage(title, problem);
        return;
    }
    SaveMade(f[0], points);
}

void LimitGroup::ImportCsv()
{
    const char *title = "Import limit line from CSV";
    const std::optional<std::string> path = d_.dialogs.OpenFileName(title, kCsvFilter, WorkingFolder());
    if (!path)
        return;
    auto read = std::make_shared<LimitCsvResult>();
    StartFileJob(
        this, d_.dialogs, title, "Reading " + *path,
        [read, path = *path](JobControl &control) {
            std::vector<unsigned char> bytes;
            uint64_t size = 0;
            switch (ReadWholeFile(path, kMaxCsvBytes, bytes, read->error, size, &control)) {
            case WholeFile::Read:
                *read = ParseLimitCsv({reinterpret_cast<const char *>(bytes.data()), bytes.size()}, path);
                break;
            case WholeFile::TooLong:
                read->error = path + " is " + std::to_string(size >> 20) + " MB long; a limit line's CSV file may have " +
                              std::to_string(kMaxCsvBytes >> 20) + " MB.";
                break;
            case WholeFile::Cancelled:
                break;
            case WholeFile::Failed:
                read->error = "The CSV file cannot be read: " + read->error + ".";
                break;
            }
        },
        [this, read, title, path = *path](bool completed) {
            if (!completed)
                return;
            if (!read->error.empty()) {
                d_.dialogs.ShowMessage(title, read->error);
                return;
            }
            const std::optional<std::vector<std::string>> name =
                d_.dialogs.AskForm(title, {{"Name", BaseName(path, ".csv"), {}}});
            if (name && name->size() == 1)
                SaveMade(name->front(), read->points);
        });
}

void LimitGroup::ExportCsv()
{
    const char *title = "Export limit line as CSV";
    const std::vector<std::string> names = ListLimitNames(WorkingFolder());
    if (names.empty()) {
        d_.dialogs.ShowMessage(title, "The Working folder " + WorkingFolder() + " holds no limit files.");
        return;
    }
    std::vector<std::string> shown;
    for (const std::string &name : names)
        shown.push_back(QFile::decodeName(QByteArray::fromStdString(name)).toStdString());
    const std::optional<size_t> chosen = d_.dialogs.ChooseItem(title, "Limit line:", shown, 0);
    if (!chosen || *chosen >= names.size())
        return;
    const std::string &name = names[*chosen];
    const std::optional<std::string> csv =
        d_.dialogs.SaveFileName(title, kCsvFilter, JoinPath(WorkingFolder(), name + ".csv"));
    if (!csv || (Exists(*csv) && !d_.dialogs.AskYesNo(title, *csv + " exists. Replace it?")))
        return;
    struct Written {
        LimitFileResult file;
        std::string error;
    };
    auto out = std::make_shared<Written>();
    StartFileJob(
        this, d_.dialogs, title, "Writing " + *csv,
        [out, name, csv = *csv](JobControl &control) {
            out->file = ReadLimitFile(JoinPath(WorkingFolder(), name + ".lim"), &control);
            if (!out->file.ok || control.Cancelled())
                return;
            const std::string text = LimitCsvText(out->file.points);
            out->file.ok = ReplaceFileDurably(csv, reinterpret_cast<const uint8_t *>(text.data()), text.size(), &out->error);
        },
        [this, out, name, title](bool completed) {
            const LimitFileResult &file = out->file;
            if (!completed || file.cancelled)
                return;
            if (!file.error.empty() || !out->error.empty())
                d_.dialogs.ShowMessage(title, file.error.empty() ? "The CSV file could not be written: " + out->error + "."
                                                                 : file.error);
            else if (file.skipped > 0 || file.tailBytes > 0)
                d_.dialogs.ShowMessage(title, "Written without what " + name + ".lim holds that is no point: " +
                                                  std::to_string(file.skipped) + " records that are not numbers and " +
                                                  std::to_string(file.tailBytes) + " bytes after the last whole record.");
        });
}

void LimitGroup::SaveMade(const std::string &typed, const std::vector<LimitPoint> &points)
{
    const char *title = "TavrinRemote";
    const std::string name = CleanLimitName(typed);
    if (const std::string problem = LimitNameProblem(name); !problem.empty()) {
        d_.dialogs.ShowMessage(title, problem);
        return;
    }
    const std::string path = JoinPath(WorkingFolder(), name + ".lim");
    if (Exists(path) && !d_.dialogs.AskYesNo(title, name + ".lim is in the Working folder already. Replace it?"))
        return;
    std::error_code ignored;
    std::filesystem::create_directories(WorkingFolder(), ignored);
    std::string error;
    if (!WriteLimitFile(path, points, error)) {
        d_.dialogs.ShowMessage(title, "The limit file could not be written: " + error + ".");
        return;
    }
    Relist();
    emit fileMade(name, points);
}

}  // namespace tavrin
