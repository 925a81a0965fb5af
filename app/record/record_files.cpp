// The Trace Record group's file work: a record loaded, saved, and exported as CSV, each off the
// window thread with its progress shown.
#include "common/dialogs.h"
#include "common/text_number.h"
#include "record/record_group.h"
#include "record/record_survey.h"
#include "settings/operation_file.h"
#include "widgets/file_job.h"

#include <QCoreApplication>
#include <algorithm>
#include <memory>

namespace tavrin {

namespace {

constexpr char kRecordFilter[] = "Tavrin Files (*.spf)";
constexpr char kCsvFilter[] = "CSV Files (*.csv)";
// The second filter of the export's save question.
constexpr char kSurveyFilter[] = "Survey CSV, rtl_power (*.csv)";
constexpr char kImpossibleFields[] =
    "a centre, span, reference level, RBW, time or trace point that the analyzer cannot give";

std::string Title() { return QCoreApplication::applicationName().toStdString(); }

}  // namespace

void RecordGroup::LoadClicked()
{
    const std::optional<std::string> name = d_.dialogs.OpenFileName("Open", kRecordFilter, "");
    if (name && !name->empty())
        Loaded(*name);
    else
        emit loadEnded(nullptr, true);
}

void RecordGroup::Loaded(const std::string &name)
{
    struct Load {
        RecordTable table;
        RecordFileResult result;
        int64_t impossible = 0;
    };
    auto load = std::make_shared<Load>();
    emit busy(true);
    StartFileJob(
        this, d_.dialogs, Title(), "Loading " + name,
        [load, name](JobControl &control) {
            load->result = LoadRecordFile(name, load->table, &control);
            if (load->result.ok)
                load->impossible = RemoveImpossibleRecords(load->table);
        },
        [this, load, name](bool completed) {
            emit busy(false);
            if (!completed || load->result.cancelled) {
                emit loadEnded(nullptr, true);
                return;
            }
            const int64_t count = static_cast<int64_t>(load->table.size()) + load->impossible;
            const std::string records = std::to_string(count) + (count == 1 ? " record" : " records");
            std::shared_ptr<RecordTable> taken;
            if (!load->result.ok) {
                d_.dialogs.ShowMessage(Title(), "The record file could not be loaded: " + load->result.error + ".");
            } else if (count == 0) {
                d_.dialogs.ShowMessage(Title(), name + " holds no record.");
            } else if (load->table.empty()) {
                d_.dialogs.ShowMessage(Title(), "None of the " + records + " in " + name + " can be real (" +
                                                    kImpossibleFields + "). Nothing was loaded.");
            } else if (load->impossible == 0 ||
                       d_.dialogs.AskYesNo(Title(), std::to_string(load->impossible) + " of the " + records + " in " +
                                                        name + " cannot be real (" + kImpossibleFields +
                                                        ").\r\nLoad the other " + std::to_string(load->table.size()) +
                                                        " to play them?")) {
                taken = std::make_shared<RecordTable>(std::move(load->table));
            }
            emit loadEnded(taken, false);
        });
}

void RecordGroup::SaveClicked()
{
    const std::optional<std::string> name = AskFileToWrite(kRecordFilter, "", ".spf");
    if (!name)
        return;
    auto saved = std::make_shared<RecordFileResult>();
    emit busy(true);
    StartFileJob(
        this, d_.dialogs, Title(), "Saving the record to " + *name,
        [saved, name = *name, table = d_.record()](JobControl &control) {
            *saved = SaveRecordFile(name, table, &control);
        },
        [this, saved](bool) {
            emit busy(false);
            emit this->saved();
            if (!saved->ok && !saved->cancelled)
                d_.dialogs.ShowMessage(Title(), "The record was not saved: " + saved->error + ".");
        });
}

void RecordGroup::ExportCsv()
{
    size_t filter = 0;
    const std::optional<std::string> name =
        AskFileToWrite(std::string(kCsvFilter) + ";;" + kSurveyFilter, "", ".csv", &filter);
    if (!name)
        return;
    // A recording goes on filling the table meanwhile, and the holds go on changing: the export
    // takes what they hold now.
    RecordTable source = d_.record();
    if (source.empty())
        source = {d_.liveRecord()};
    if (filter == 1)
        return ExportSurvey(*name, std::move(source));
    const bool dbu = TrimSpaces(d_.settings.Unit) != "dBm";
    const std::string holdRows = d_.holds ? CsvHoldRows(d_.holds(), dbu) : std::string();
    auto written = std::make_shared<RecordFileResult>();
    emit busy(true);
    StartFileJob(
        this, d_.dialogs, Title(), "Exporting the record to " + *name,
        [written, name = *name, source = std::move(source), dbu, holdRows](JobControl &control) {
            *written = WriteRecordCsv(name, source, dbu, holdRows, &control);
        },
        [this, written](bool) {
            emit busy(false);
            if (!written->ok && !written->cancelled)
                d_.dialogs.ShowMessage(Title(), "The CSV file was not written: " + written->error + ".");
        });
}

void RecordGroup::ExportSurvey(const std::string &name, RecordTable source)
{
    const std::string traces = std::to_string(source.size()) + (source.size() == 1 ? " trace" : " traces");
    if (std::none_of(source.begin(), source.end(), [](const TraceRecord &e) { return SurveyAxisOf(e).has_value(); })) {
        d_.dialogs.ShowMessage(Title(), "The survey CSV was not written: " +
                                            (source.size() == 1 ? std::string("the trace was taken at zero span and has")
                                                                : "all " + traces + " were taken at zero span and have") +
                                            " no frequency axis. Choose CSV Files to export them.");
        return;
    }
    struct Survey {
        RecordFileResult result;
        int64_t leftOut = 0;
    };
    auto written = std::make_shared<Survey>();
    emit busy(true);
    StartFileJob(
        this, d_.dialogs, Title(), "Exporting the survey CSV to " + name,
        [written, name, source = std::move(source)](JobControl &control) {
            written->result = WriteSurveyCsv(name, source, written->leftOut, &control);
        },
        [this, written, traces](bool) {
            emit busy(false);
            if (!written->result.ok && !written->result.cancelled)
                d_.dialogs.ShowMessage(Title(), "The survey CSV was not written: " + written->result.error + ".");
            else if (written->result.ok && written->leftOut > 0)
                d_.dialogs.ShowMessage(Title(), std::to_string(written->leftOut) + " of the " + traces +
                                                    (written->leftOut == 1 ? " was" : " were") +
                                                    " taken at zero span, without a frequency axis, and left out of "
                                                    "the survey CSV.");
        });
}

}  // namespace tavrin
