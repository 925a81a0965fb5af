#include "record/record_group.h"

#include "common/dialogs.h"
#include "common/number_format.h"
#include "common/text_number.h"
#include "settings/operation_file.h"
#include "widgets/file_job.h"
#include "widgets/panel_widgets.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <memory>

namespace tavrin {

namespace {

constexpr char kRecordFilter[] = "Tavrin Files (*.spf)";

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
    progressClock_ = new QTimer(this);
    progressClock_->setInterval(1000);
    connect(progressClock_, &QTimer::timeout, this, &RecordGroup::ShowProgress);
    Show({});
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
    connect(ui_.cmdRecord, &QPushButton::clicked, this, &RecordGroup::RecordClicked);
    connect(ui_.cmdPlayRecord, &QPushButton::clicked, this, &RecordGroup::PlayClicked);
    connect(ui_.cmdLoadRecord, &QPushButton::clicked, this, &RecordGroup::LoadClicked);
    connect(ui_.cmdSaveRecord, &QPushButton::clicked, this, &RecordGroup::SaveClicked);
}

void RecordGroup::Show(const RecordView &view)
{
    shown_ = view;
    ui_.cmdRecord->setText(view.recording ? "Stop" : "Record");
    ui_.cmdPlayRecord->setText(view.playing ? "Pause" : "Play");
    ui_.cmdRecord->setEnabled(view.buttons.record);
    ui_.cmdPlayRecord->setEnabled(view.buttons.play);
    ui_.cmdLoadRecord->setEnabled(view.buttons.load);
    ui_.cmdSaveRecord->setEnabled(view.buttons.save);
    if (view.recording && !progressClock_->isActive())
        progressClock_->start();
    else if (!view.recording)
        progressClock_->stop();
    ShowProgress();
}

void RecordGroup::ShowProgress()
{
    QLabel *label = ui_.lblRecordProgress;
    QProgressBar *bar = ui_.barRecordProgress;
    label->setVisible(shown_.started);
    bar->setVisible(shown_.recording && !shown_.continuous);
    if (!shown_.started)
        return;
    const std::time_t now = d_.wallClock();
    label->setText(QString::fromStdString(ProgressText(shown_, now)));
    const long long total = static_cast<long long>(shown_.seconds);
    bar->setRange(0, static_cast<int>(std::max(1LL, total)));
    bar->setValue(static_cast<int>(std::clamp(static_cast<long long>(now - shown_.startTime), 0LL, total)));
}

std::optional<std::string> RecordGroup::AskFileToWrite(const std::string &filter, const std::string &proposed,
                                                       const std::string &suffix, size_t *chosenFilter)
{
    auto ask = [&]() -> std::optional<std::string> {
        std::optional<UserDialogs::SavedAs> saved;
        if (chosenFilter)
            saved = d_.dialogs.SaveFileNameAs("Save As", filter, proposed);
        else if (std::optional<std::string> name = d_.dialogs.SaveFileName("Save As", filter, proposed))
            saved = UserDialogs::SavedAs{*name, 0};
        if (!saved || saved->name.empty())
            return std::nullopt;
        if (chosenFilter)
            *chosenFilter = saved->filter;
        lastFileName_ = WithSuffix(saved->name, suffix);
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

void RecordGroup::RecordClicked()
{
    if (shown_.recording)
        emit stopWanted();
    else if (d_.acquiring())  // recording takes the live trace: nothing to record otherwise
        StartRecording();
}

void RecordGroup::RefuseStart(const std::string &why)
{
    d_.dialogs.ShowMessage(Title(), "The recording cannot start: " + why);
}

void RecordGroup::StartRecording()
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
    if (!continuous) {
        emit timedStartWanted(*entries, *period, minutes * 60.0);
        return;
    }
    const std::optional<std::string> name = AskFileToWrite(kRecordFilter, lastFileName_, ".spf");
    if (name)
        emit continuousStartWanted(*name, *period);
    else
        emit startGivenUp();
}

void RecordGroup::PlayClicked()
{
    if (!shown_.recording) {
        const std::optional<int32_t> period = TimerPeriodMs(NumericValue(d_.settings.RecordInterval));
        if (!shown_.playing && !period) {
            d_.dialogs.ShowMessage(Title(), "The playback cannot start: the recording interval \"" +
                                                TrimSpaces(d_.settings.RecordInterval) +
                                                "\" is not usable. Set an interval of 0.2 to 60 seconds in the settings.");
            return;
        }
        emit playWanted(period.value_or(0));
    }
    // Stopped, the main trace is drawn in the play colour until the acquisition starts again.
    if (!d_.acquiring())
        emit playColourWanted();
}

}  // namespace tavrin
