// The timer's steps (recording and playback), what the screen takes from a playback, and the
// progress display of a recording.
#include "record/record_group.h"

#include "acquisition/acquisition_group.h"
#include "acquisition/basic_group.h"
#include "common/dialogs.h"
#include "common/number_format.h"
#include "common/rounding.h"
#include "common/text_number.h"
#include "instrument/tavrin_dll.h"
#include "settings/operation_file.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <algorithm>

namespace tavrin {

namespace {

// Points from a file may lie anywhere in 16 bits; the screen takes 0..1023.
LiveTrace OnScreen(const LiveTrace &points)
{
    LiveTrace shown;
    for (size_t i = 0; i < points.size(); ++i)
        shown[i] = std::clamp<int16_t>(points[i], 0, kTopLevelValue);
    return shown;
}

std::string MinutesSeconds(long long seconds)
{
    seconds = std::max(0LL, seconds);
    const long long s = seconds % 60;
    return std::to_string(seconds / 60) + (s < 10 ? ":0" : ":") + std::to_string(s);
}

std::string BaseName(const std::string &path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

const TraceRecord *RecordGroup::Entry(int32_t index) const
{
    if (index < 0 || static_cast<size_t>(index) >= table_.size() || !table_[static_cast<size_t>(index)].Filled())
        return nullptr;
    return &table_[static_cast<size_t>(index)];
}

const LiveTrace &RecordGroup::ShownTrace() const
{
    const bool stillShown = offlineShown_ && !d_.acquisition.Running() && d_.acquisition.TracesTaken() == tracesAtOfflineStep_;
    return stillShown ? offlineTrace_ : d_.acquisition.Live();
}

PlaybackView RecordGroup::Playback() const
{
    PlaybackView v;
    v.playTrace = &play_;
    v.playCaption = playing_ ? "Pause" : "Play";
    if (playing_)
        if (const TraceRecord *entry = Entry(shown_))
            v.playbackTime = FromRecordTime(entry->time);
    if (shown_ >= 0 && static_cast<size_t>(shown_) < table_.size()) {
        const TraceRecord &r = table_[static_cast<size_t>(shown_)];
        v.secondTrace = SecondTraceInfo{r.refLevelDbm, r.centerFreqMHz, PrintableText(FieldText(r.spanCaption))};
    }
    return v;
}

void RecordGroup::Step()
{
    if (recording_)
        RecordStep();
    else
        PlayStep();
}

TraceRecord RecordGroup::TakeRecord() const
{
    TraceRecord r;
    // The settings of the block the live trace came with, not of the last block received: that
    // may be one the line garbled.
    const BlockReport &block = d_.acquisition.LiveReport();
    r.time = ToRecordTime(d_.screenTime());
    r.centerFreqMHz = block.centerMHz;
    r.spanCaption = FixedText<12>(block.span);
    r.refLevelDbm = block.refLevelDbm;
    r.rbwCaption = FixedText<8>(block.rbw);
    r.points = ShownTrace();
    return r;
}

TraceRecord RecordGroup::LiveRecord() const
{
    const MeasurementState &state = d_.basic.State();
    TraceRecord r;
    r.time = ToRecordTime(d_.screenTime());
    r.centerFreqMHz = NumericValue(state.centerFreqMHz);
    r.spanCaption = FixedText<12>(state.spanCaption);
    r.refLevelDbm = static_cast<int16_t>(RoundHalfEvenToInt32(NumericValue(state.refLevelDbm)));
    r.rbwCaption = FixedText<8>(state.rbwCaption);
    r.points = ShownTrace();
    return r;
}

void RecordGroup::RecordStep()
{
    // Only a trace that came since the last entry is written: a line that gives none (lost,
    // silent, stopped) makes no entries, and the recording goes on when traces come again.
    if (d_.acquisition.TracesTaken() == recordedTrace_)
        return;
    recordedTrace_ = d_.acquisition.TracesTaken();
    const auto elapsed = d_.screenTime() - recordStartTime_;
    if (continuous_) {
        table_[0] = TakeRecord();
        ++position_;
        const std::string error = AppendRecord(recordFileName_, recordFileCount_, table_[0]);
        if (!error.empty()) {
            StopRecording();
            d_.dialogs.ShowMessage(QCoreApplication::applicationName().toStdString(),
                                   "The recording was stopped: the record file could not be written (" + error +
                                       "). Records written to it before: " + std::to_string(recordFileCount_) + ".");
            return;
        }
        ++recordFileCount_;
        ShowProgress();
        return;
    }
    // With the acquisition stopped the screen time stands still and the end never comes: a full
    // table ends the recording as its end would.
    if (static_cast<size_t>(position_) >= table_.size()) {
        StopRecording();
        QApplication::beep();
        return;
    }
    table_[static_cast<size_t>(position_)] = TakeRecord();
    if (NumericValue(d_.settings.RecordTime) * 60.0 <= static_cast<double>(elapsed)) {
        StopRecording();
        QApplication::beep();
    }
    ++position_;
    ShowProgress();
}

void RecordGroup::PlayStep()
{
    if (!playing_)
        return;
    const TraceRecord *entry = Entry(position_);
    if (!entry) {
        position_ = 0;
        return;
    }
    shown_ = position_;
    if (d_.acquisition.Running()) {
        // Drawn over the live trace at the acquisition's next redraw.
        play_ = OnScreen(entry->points);
        if (static_cast<size_t>(++position_) >= table_.size())
            position_ = 0;
        return;
    }
    d_.basic.ShowRecorded(entry->centerFreqMHz, PrintableText(FieldText(entry->spanCaption)), entry->refLevelDbm,
                          PrintableText(FieldText(entry->rbwCaption)));
    offlineTrace_ = OnScreen(entry->points);
    tracesAtOfflineStep_ = d_.acquisition.TracesTaken();
    offlineShown_ = true;
    emit redrawNeeded();
    ++position_;
}

void RecordGroup::ShowProgress()
{
    QLabel *label = ui_.lblRecordProgress;
    QProgressBar *bar = ui_.barRecordProgress;
    const long long elapsed = std::time(nullptr) - recordStartTime_;
    label->show();
    bar->setVisible(recording_ && !continuous_);
    if (continuous_) {
        label->setText(QString::fromStdString((recording_ ? "Recording to " : "Recorded to ") +
                                              BaseName(recordFileName_) + ": " + std::to_string(recordFileCount_) +
                                              " records" + (recording_ ? ", " + MinutesSeconds(elapsed) : "")));
        return;
    }
    const long long total = RoundHalfEvenToInt32(NumericValue(d_.settings.RecordTime) * 60.0);
    if (!recording_) {
        label->setText(QString::fromStdString("Recorded " + std::to_string(position_) + " traces"));
        return;
    }
    label->setText(QString::fromStdString("Recording " + MinutesSeconds(elapsed) + " of " + MinutesSeconds(total) +
                                          ", " + std::to_string(position_) + " traces"));
    bar->setRange(0, static_cast<int>(std::max(1LL, total)));
    bar->setValue(static_cast<int>(std::clamp(elapsed, 0LL, total)));
}

}  // namespace tavrin
