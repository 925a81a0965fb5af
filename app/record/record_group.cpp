#include "record/record_group.h"

#include "acquisition/acquisition_group.h"
#include "common/dialogs.h"
#include "common/number_format.h"
#include "common/text_number.h"
#include "instrument/tavrin_dll.h"
#include "record/record_csv.h"
#include "settings/operation_file.h"
#include "widgets/file_job.h"
#include "widgets/panel_widgets.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>
#include <algorithm>
#include <filesystem>

namespace tavrin {

namespace {

constexpr char kRecordFilter[] = "Tavrin Files (*.spf)";
constexpr char kCsvFilter[] = "CSV Files (*.csv)";
constexpr char kImpossibleFields[] =
    "a centre, span, reference level, RBW, time or trace point that the analyzer cannot give";

std::string Title() { return QCoreApplication::applicationName().toStdString(); }

// A name typed without an extension gets the one of its kind.
std::string WithSuffix(const std::string &name, const std::string &suffix)
{
    const size_t slash = name.rfind('/');
    const std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
    return base.find('.') == std::string::npos ? name + suffix : name;
}

}  // namespace

RecordGroup::RecordGroup(Deps deps, QWidget *parent) : QGroupBox("Trace Record", parent), d_(std::move(deps))
{
    setObjectName("fraRecord");
    Build();
    timerPlay_ = new QTimer(this);
    timerPlay_->setObjectName("TimerPlay");
    connect(timerPlay_, &QTimer::timeout, this, &RecordGroup::Step);
    progressClock_ = new QTimer(this);
    progressClock_->setInterval(1000);
    connect(progressClock_, &QTimer::timeout, this, &RecordGroup::ShowProgress);
}

void RecordGroup::Build()
{
    auto *grid = new QGridLayout(this);
    ui_.cmdRecord = Button(this, "cmdRecord", "Record");
    ui_.cmdPlayRecord = Button(this, "cmdPlayRecord", "Play");
    ui_.cmdLoadRecord = Button(this, "cmdLoadRecord", "Load");
    ui_.cmdSaveRecord = Button(this, "cmdSaveRecord", "Save");
    ui_.lblRecordProgress = new QLabel(this);
    ui_.lblRecordProgress->setObjectName("lblRecordProgress");
    ui_.lblRecordProgress->setAccessibleName("Recording progress");
    ui_.barRecordProgress = new QProgressBar(this);
    ui_.barRecordProgress->setObjectName("barRecordProgress");
    ui_.barRecordProgress->setAccessibleName("Recording progress");
    ui_.barRecordProgress->setTextVisible(false);
    ui_.barRecordProgress->setMaximumHeight(10);
    // The panel keeps its size when the progress shows up.
    for (QWidget *w : std::initializer_list<QWidget *>{ui_.lblRecordProgress, ui_.barRecordProgress}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
    grid->addWidget(ui_.cmdRecord, 0, 0);
    grid->addWidget(ui_.cmdPlayRecord, 0, 1);
    grid->addWidget(ui_.cmdLoadRecord, 1, 0);
    grid->addWidget(ui_.cmdSaveRecord, 1, 1);
    grid->addWidget(ui_.lblRecordProgress, 2, 0, 1, 2);
    grid->addWidget(ui_.barRecordProgress, 3, 0, 1, 2);
    connect(ui_.cmdRecord, &QPushButton::clicked, this, &RecordGroup::cmdRecord_Click);
    connect(ui_.cmdPlayRecord, &QPushButton::clicked, this, &RecordGroup::cmdPlayRecord_Click);
    connect(ui_.cmdLoadRecord, &QPushButton::clicked, this, &RecordGroup::cmdLoadRecord_Click);
    connect(ui_.cmdSaveRecord, &QPushButton::clicked, this, &RecordGroup::cmdSaveRecord_Click);
}

void RecordGroup::Load()
{
    timerPlay_->stop();
    progressClock_->stop();
    table_.clear();
    position_ = 0;
    shown_ = 0;
    play_.fill(0);
    recording_ = false;
    playing_ = false;
    offlineShown_ = false;
    ui_.cmdRecord->setText("Record");
    ui_.cmdPlayRecord->setText("Play");
    ui_.cmdRecord->setEnabled(true);
    ui_.cmdLoadRecord->setEnabled(true);
    ui_.cmdSaveRecord->setEnabled(false);
    ui_.cmdPlayRecord->setEnabled(false);
    ui_.lblRecordProgress->hide();
    ui_.barRecordProgress->hide();
}

std::optional<std::string> RecordGroup::AskFileToWrite(const std::string &filter, const std::string &proposed,
                                                       const std::string &suffix)
{
    // The dialogs serve window events: the group's buttons must wait.
    const QScopedValueRollback guard(inDialog_, true);
    auto ask = [&]() -> std::optional<std::string> {
        std::optional<std::string> name = d_.dialogs.SaveFileName("Save As", filter, proposed);
        if (!name || name->empty())
            return std::nullopt;
        lastFileName_ = WithSuffix(*name, suffix);
        return lastFileName_;
    };
    std::optional<std::string> name = ask();
    while (name) {
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::file_status status = fs::symlink_status(*name, ec);
        if (!fs::exists(status))
            return name;
        if (fs::is_directory(status)) {
            d_.dialogs.ShowMessage(Title(), *name + " is a folder. Choose a file name.");
        } else if (d_.dialogs.AskYesNo(Title(), *name + " existed!\r\nReplace it?")) {
            // Replaced by the write itself, so that a save that fails leaves the old file whole.
            return name;
        }
        name = ask();
    }
    return std::nullopt;
}

void RecordGroup::cmdRecord_Click()
{
    if (inDialog_)
        return;
    if (recording_) {
        StopRecording();
        return;
    }
    position_ = 0;
    if (!d_.acquisition.Running())
        return;  // recording takes the live trace: nothing to record
    StartRecording();
}

bool RecordGroup::RefuseStart(const std::string &why)
{
    d_.dialogs.ShowMessage(Title(), "The recording cannot start: " + why);
    return false;
}

bool RecordGroup::StartRecording()
{
    const double minutes = NumericValue(d_.settings.RecordTime);
    const double interval = NumericValue(d_.settings.RecordInterval);
    const std::optional<int32_t> period = TimerPeriodMs(interval);
    if (!period)
        return RefuseStart("the recording interval \"" + TrimSpaces(d_.settings.RecordInterval) +
                           "\" is not usable. Set an interval of 0.2 to 60 seconds in the settings.");
    const bool continuous = minutes == 0;  // "Continuous" reads as 0
    const std::optional<int32_t> entries = TimedEntryCount(minutes, interval);
    if (!continuous && minutes < 0)
        return RefuseStart("the recording time \"" + TrimSpaces(d_.settings.RecordTime) + "\" is not usable.");
    if (!continuous && !entries)
        return RefuseStart("a recording of " + PlainDecimal(minutes) + " minutes every " + PlainDecimal(interval) +
                           " seconds needs more than the 32767 entries a recording can hold. Set a shorter time "
                           "or a longer interval in the settings.");

    ui_.cmdPlayRecord->setEnabled(false);
    ui_.cmdSaveRecord->setEnabled(false);
    ui_.cmdLoadRecord->setEnabled(false);
    if (continuous) {
        const std::optional<std::string> name = AskFileToWrite(kRecordFilter, lastFileName_, ".spf");
        const std::string error = name ? CreateRecordFile(*name) : std::string();
        if (!name || !error.empty()) {
            // Play and Save stay disabled until a load brings a record again.
            ui_.cmdLoadRecord->setEnabled(true);
            if (!error.empty())
                RefuseStart("the record file could not be created (" + error + ").");
            return false;
        }
        recordFileName_ = *name;
        recordFileCount_ = 0;
        // The table is reset only now: a cancelled start keeps the record made or loaded before.
        table_.assign(100, TraceRecord{});
    } else {
        table_.assign(static_cast<size_t>(*entries), TraceRecord{});
    }
    continuous_ = continuous;
    recording_ = true;
    recordedTrace_ = d_.acquisition.TracesTaken();
    ui_.cmdRecord->setText("Stop");
    timerPlay_->start(*period);
    recordStartTime_ = std::time(nullptr);
    progressClock_->start();
    ShowProgress();
    return true;
}

void RecordGroup::StopRecording()
{
    recording_ = false;
    timerPlay_->stop();
    progressClock_->stop();
    ui_.cmdPlayRecord->setEnabled(true);
    ui_.cmdLoadRecord->setEnabled(true);
    ui_.cmdRecord->setText("Record");
    ShowProgress();
}

void RecordGroup::cmdPlayRecord_Click()
{
    if (inDialog_)
        return;
    if (!recording_) {
        if (!playing_) {
            const std::optional<int32_t> period = TimerPeriodMs(NumericValue(d_.settings.RecordInterval));
            if (!period) {
                d_.dialogs.ShowMessage(Title(), "The playback cannot start: the recording interval \"" +
                                                    TrimSpaces(d_.settings.RecordInterval) +
                                                    "\" is not usable. Set an interval of 0.2 to 60 seconds "
                                                    "in the settings.");
                return;
            }
            ui_.cmdRecord->setEnabled(false);
            ui_.cmdLoadRecord->setEnabled(false);
            ui_.cmdSaveRecord->setEnabled(false);
            playing_ = true;
            ui_.cmdPlayRecord->setText("Pause");
            if (position_ >= static_cast<int64_t>(table_.size()))
                position_ = 0;
            timerPlay_->start(*period);
        } else {
            ui_.cmdRecord->setEnabled(true);
            ui_.cmdLoadRecord->setEnabled(true);
            ui_.cmdSaveRecord->setEnabled(true);
            playing_ = false;
            ui_.cmdPlayRecord->setText("Play");
            timerPlay_->stop();
        }
    }
    // Stopped, the main trace is drawn in the play colour until the acquisition starts again.
    if (!d_.acquisition.Running())
        d_.acquisition.SetTraceDrawColor(d_.settings.Colors.Play);
}

void RecordGroup::cmdLoadRecord_Click()
{
    if (inDialog_)
        return;
    const std::optional<std::string> name = d_.dialogs.OpenFileName("Open", kRecordFilter, "");
    if (name && !name->empty())
        LoadFrom(*name);
    // Play is offered only when there is something to play.
    ui_.cmdPlayRecord->setEnabled(Entry(0) != nullptr);
}

void RecordGroup::LoadFrom(const std::string &name)
{
    const QScopedValueRollback guard(inDialog_, true);
    BusyPointer busy;
    RecordTable loaded;
    RecordFileResult result;
    int64_t impossible = 0;
    RunFileJob(d_.dialogs, Title(), "Loading " + name, [&](JobControl &control) {
        result = LoadRecordFile(name, loaded, &control);
        if (result.ok)
            impossible = RemoveImpossibleRecords(loaded);
    });
    if (result.cancelled)
        return;
    position_ = 0;
    shown_ = 0;
    const int64_t count = static_cast<int64_t>(loaded.size()) + impossible;  // up to an empty entry
    const std::string records = std::to_string(count) + (count == 1 ? " record" : " records");
    if (!result.ok) {
        d_.dialogs.ShowMessage(Title(), "The record file could not be loaded: " + result.error + ".");
    } else if (count == 0) {
        d_.dialogs.ShowMessage(Title(), name + " holds no record.");
    } else if (loaded.empty()) {
        d_.dialogs.ShowMessage(Title(), "None of the " + records + " in " + name + " can be real (" +
                                            kImpossibleFields + "). Nothing was loaded.");
    } else if (impossible == 0 ||
               d_.dialogs.AskYesNo(Title(), std::to_string(impossible) + " of the " + records + " in " + name +
                                                " cannot be real (" + kImpossibleFields + ").\r\nLoad the other " +
                                                std::to_string(loaded.size()) + " to play them?")) {
        table_ = std::move(loaded);
    }
}

void RecordGroup::cmdSaveRecord_Click()
{
    if (inDialog_)
        return;
    const std::optional<std::string> name = AskFileToWrite(kRecordFilter, "", ".spf");
    if (!name)
        return;
    const QScopedValueRollback guard(inDialog_, true);
    BusyPointer busy;
    RecordFileResult saved;
    RunFileJob(d_.dialogs, Title(), "Saving the record to " + *name,
               [&](JobControl &control) { saved = SaveRecordFile(*name, table_, &control); });
    // Saving walks the table to its first empty entry and leaves the position there.
    position_ = 0;
    while (Entry(position_))
        ++position_;
    if (!saved.ok && !saved.cancelled)
        d_.dialogs.ShowMessage(Title(), "The record was not saved: " + saved.error + ".");
}

void RecordGroup::ExportCsv()
{
    if (inDialog_)
        return;
    const std::optional<std::string> name = AskFileToWrite(kCsvFilter, "", ".csv");
    if (!name)
        return;
    const QScopedValueRollback guard(inDialog_, true);
    BusyPointer busy;
    const bool dbu = TrimSpaces(d_.settings.Unit) != "dBm";
    // A recording goes on filling the table meanwhile: the export takes the entries it holds now.
    RecordTable taken;
    if (!Entry(0))
        taken = {LiveRecord()};
    else if (recording_)
        taken.assign(table_.begin(), std::find_if(table_.begin(), table_.end(),
                                                  [](const TraceRecord &r) { return !r.Filled(); }));
    const RecordTable &source = taken.empty() ? table_ : taken;
    // The holds go on changing while the job runs: their rows are taken now.
    const std::string holdRows = d_.holds ? CsvHoldRows(d_.holds(), dbu) : std::string();
    RecordFileResult written;
    RunFileJob(d_.dialogs, Title(), "Exporting the record to " + *name,
               [&](JobControl &control) { written = WriteRecordCsv(*name, source, dbu, holdRows, &control); });
    if (!written.ok && !written.cancelled)
        d_.dialogs.ShowMessage(Title(), "The CSV file was not written: " + written.error + ".");
}

}  // namespace tavrin
