#include "session/recorder.h"

#include "common/text_number.h"

#include <algorithm>

namespace tavrin {

namespace {

// Points from a file may lie anywhere in 16 bits; the screen takes 0..1023.
TracePoints OnScreen(const TracePoints &points)
{
    TracePoints shown;
    for (size_t i = 0; i < points.size(); ++i)
        shown[i] = std::clamp<int16_t>(points[i], 0, kTopLevelValue);
    return shown;
}

}  // namespace

Recorder::Recorder(Deps deps, Events events) : d_(std::move(deps)), e_(std::move(events)), timer_(d_.timers) {}

void Recorder::Changed()
{
    if (e_.changed)
        e_.changed();
}

void Recorder::Reset()
{
    timer_.Stop();
    table_.clear();
    position_ = shown_ = 0;
    play_.fill(0);
    recording_ = playing_ = continuous_ = busy_ = false;
    buttons_ = {};
    Changed();
}

RecordButtons Recorder::Buttons() const
{
    if (busy_)
        return {false, false, false, false};
    return buttons_;
}

void Recorder::SetBusy(bool busy)
{
    busy_ = busy;
    Changed();
}

const TraceRecord *Recorder::Entry(int32_t index) const
{
    if (index < 0 || static_cast<size_t>(index) >= table_.size() || !table_[static_cast<size_t>(index)].Filled())
        return nullptr;
    return &table_[static_cast<size_t>(index)];
}

RecordView Recorder::View() const
{
    RecordView v;
    v.buttons = Buttons();
    v.recording = recording_;
    v.playing = playing_;
    v.continuous = continuous_;
    v.started = started_;
    v.entries = position_;
    v.fileName = fileName_;
    v.fileRecords = fileCount_;
    v.startTime = startTime_;
    v.seconds = seconds_;
    return v;
}

RecordTable Recorder::Filled() const
{
    if (continuous_)
        return {};  // the record is in its file
    return RecordTable(table_.begin(),
                       std::find_if(table_.begin(), table_.end(), [](const TraceRecord &r) { return !r.Filled(); }));
}

void Recorder::StartTimed(int32_t entries, int32_t periodMs, double seconds)
{
    seconds_ = seconds;
    table_.assign(static_cast<size_t>(entries), TraceRecord{});
    continuous_ = false;
    position_ = 0;
    periodMs_ = periodMs;
    recording_ = true;
    started_ = true;
    buttons_ = {true, false, false, false};
    // Only traces that come from now on are recorded.
    const TracePtr newest = d_.newestLive();
    recordedSeq_ = newest ? newest->seq : 0;
    startTime_ = d_.wallClock();
    timer_.Start(std::chrono::milliseconds(periodMs_), [this] { Step(); });
    Changed();
}

void Recorder::StartContinuous(const std::string &path, int32_t periodMs)
{
    file_ = std::make_shared<RecordAppender>();
    ++fileRecording_;
    if (file_->Open(path, RecordAppender::Mode::Replace) != RecordAppender::Opened::Ok) {
        const std::string why = file_->Error();
        file_.reset();
        StartGivenUp();
        if (e_.problem)
            e_.problem("The recording cannot start: the record file could not be created (" + why + ").");
        return;
    }
    fileName_ = path;
    fileCount_ = 0;
    // The table is reset only now: a cancelled start keeps the record made or loaded before.
    table_.assign(100, TraceRecord{});
    StartTimed(100, periodMs, 0);
    continuous_ = true;
    Changed();
}

void Recorder::StartGivenUp()
{
    // Play and Save stay off until a load brings a record again.
    buttons_ = {true, false, true, false};
    Changed();
}

void Recorder::StopRecording()
{
    file_.reset();  // a sweep may append to it now
    recording_ = false;
    timer_.Stop();
    buttons_.play = true;
    buttons_.load = true;
    Changed();
}

void Recorder::Step()
{
    timer_.Start(std::chrono::milliseconds(periodMs_), [this] { Step(); });
    if (recording_)
        RecordStep();
    else
        PlayStep();
}

void Recorder::RecordStep()
{
    // Only a trace that came since the last entry is written: a line that gives none (lost,
    // silent, stopped) makes no entries, and the recording goes on when traces come again.
    const TracePtr trace = d_.newestLive();
    if (!trace || trace->seq == recordedSeq_)
        return;
    recordedSeq_ = trace->seq;
    const TraceRecord record = MakeRecord(trace->time, trace->settings, trace->points);
    if (continuous_) {
        table_[0] = record;
        ++position_;
        AppendToFile(record);
        return;
    }
    // With the acquisition stopped no traces come and the end never comes: a full table ends
    // the recording as its end would.
    if (static_cast<size_t>(position_) >= table_.size()) {
        StopRecording();
        if (e_.finished)
            e_.finished();
        return;
    }
    table_[static_cast<size_t>(position_)] = record;
    const bool end = seconds_ <= static_cast<double>(trace->time - startTime_);
    ++position_;
    if (end) {
        StopRecording();
        if (e_.finished)
            e_.finished();
    }
    Changed();
}

void Recorder::AppendToFile(const TraceRecord &record)
{
    auto job = [this, file = file_, record, recording = fileRecording_]() -> std::function<void()> {
        const std::string error = file ? file->Append(record) : "it is not open";
        const int64_t count = file ? file->Count() : 0;
        return [this, recording, error, count] { Appended(recording, error, count); };
    };
    if (d_.fileWork)
        d_.fileWork(std::move(job));
    else
        job()();
}

void Recorder::Appended(uint64_t recording, const std::string &error, int64_t count)
{
    const bool current = recording == fileRecording_ && file_;
    if (!error.empty()) {
        // Told even when the recording has ended meanwhile: the user must know the file lacks it.
        if (current)
            StopRecording();
        if (e_.problem)
            e_.problem("The recording was stopped: the record file could not be written (" + error +
                       "). Records written to it before: " + std::to_string(count) + ".");
        return;
    }
    if (!current)
        return;
    fileCount_ = static_cast<int32_t>(std::min<int64_t>(count, INT32_MAX));
    Changed();
    if (count == kMaxLoadedRecords && e_.problem)
        e_.problem("The record file " + fileName_ + " now holds " + std::to_string(kMaxLoadedRecords) +
                   " records, as many as Load can play. The recording goes on; tavrin-cli convert turns the "
                   "whole file into CSV.");
}

void Recorder::TogglePlay(int32_t periodMs)
{
    if (recording_)
        return;
    playing_ = !playing_;
    if (playing_) {
        buttons_ = {false, true, false, false};
        periodMs_ = periodMs;
        if (position_ >= static_cast<int64_t>(table_.size()))
            position_ = 0;
        timer_.Start(std::chrono::milliseconds(periodMs_), [this] { Step(); });
    } else {
        buttons_ = {true, true, true, true};
        timer_.Stop();
    }
    Changed();
}

void Recorder::PlayStep()
{
    if (!playing_)
        return;
    const TraceRecord *entry = Entry(position_);
    if (!entry) {
        position_ = 0;
        return;
    }
    shown_ = position_;
    if (d_.acquiring()) {
        // Drawn over the live trace at the acquisition's next redraw.
        play_ = OnScreen(entry->points);
        if (static_cast<size_t>(++position_) >= table_.size())
            position_ = 0;
        Changed();
        return;
    }
    TraceRecord shown = *entry;
    shown.points = OnScreen(entry->points);
    ++position_;
    Changed();
    if (e_.offline)
        e_.offline(shown);
}

void Recorder::LoadEnded(std::optional<RecordTable> table, bool cancelled)
{
    if (table)
        table_ = std::move(*table);
    if (!cancelled)
        position_ = shown_ = 0;
    // Play is offered only when there is something to play.
    buttons_.play = Entry(0) != nullptr;
    Changed();
}

void Recorder::Saved()
{
    position_ = 0;
    while (Entry(position_))
        ++position_;
    Changed();
}

}  // namespace tavrin
