// Trace recording and playback: a timed recording into the record table, a continuous one
// appended to a record file (each record flushed before the next), playback of the table alone
// (its entries become the screen's trace) or over the live trace, and the Trace Record group's
// buttons as these steps leave them.
#pragma once

#include "common/timers.h"
#include "measure/trace.h"
#include "record/record_appender.h"
#include "record/record_file.h"
#include "record/record_view.h"

#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tavrin {

class Recorder {
public:
    struct Deps {
        Timers &timers;
        std::function<std::time_t()> wallClock;
        std::function<TracePtr()> newestLive;  // the newest live (or averaged) trace, if any
        std::function<bool()> acquiring;
        // Runs a file job (it returns what then happens here) off the window thread and its answer
        // back here later; empty: both at once.
        std::function<void(std::function<std::function<void()>()>)> fileWork;
    };
    struct Events {
        std::function<void()> changed;
        std::function<void(const std::string &text)> problem;
        std::function<void()> finished;                  // a timed recording ended by itself
        std::function<void(const TraceRecord &)> offline;  // playback puts an entry on the screen
    };

    Recorder(Deps deps, Events events);

    // Start-up: nothing recorded, nothing to save or play.
    void Reset();
    // A timed recording of so many entries, every periodMs, ending after seconds.
    void StartTimed(int32_t entries, int32_t periodMs, double seconds);
    // Records appended to a file the user agreed to replace: it starts empty, and no other writer
    // (a sweep) may have it while the recording runs.
    void StartContinuous(const std::string &path, int32_t periodMs);
    // A start that was given up (the file question cancelled, the file not created).
    void StartGivenUp();
    void StopRecording();
    // Play, or Pause while playing; nothing while recording.
    void TogglePlay(int32_t periodMs);
    // A load ended: a record read from a file takes the table's place; a failed one leaves the
    // table, a cancelled one the position too.
    void LoadEnded(std::optional<RecordTable> table, bool cancelled);
    // Saving walks the table to its first empty entry and leaves the position there.
    void Saved();
    // A file job (load, save, export) runs: the buttons wait.
    void SetBusy(bool busy);

    bool Recording() const { return recording_; }
    bool Continuous() const { return continuous_; }
    bool Playing() const { return playing_; }
    bool Busy() const { return busy_; }
    RecordButtons Buttons() const;
    RecordView View() const;
    const RecordTable &Table() const { return table_; }
    // The entries recorded so far (a running recording goes on filling the table).
    RecordTable Filled() const;
    int32_t Position() const { return position_; }
    int32_t ShownIndex() const { return shown_; }
    const TraceRecord *Entry(int32_t index) const;
    // The played entry drawn over the live trace, on the screen's scale.
    const TracePoints &PlayTrace() const { return play_; }
    const std::string &FileName() const { return fileName_; }
    int32_t FileCount() const { return fileCount_; }
    std::time_t StartTime() const { return startTime_; }

private:
    void Step();
    void RecordStep();
    void AppendToFile(const TraceRecord &record);
    void Appended(uint64_t recording, const std::string &error, int64_t count);
    void PlayStep();
    void Changed();

    Deps d_;
    Events e_;
    OneTimer timer_;  // "TimerPlay": clocks recording and playback
    RecordTable table_;
    int32_t position_ = 0;  // where recording writes, playback shows, saving walks
    int32_t shown_ = 0;     // the entry playback showed last
    TracePoints play_{};
    int32_t periodMs_ = 0;
    double seconds_ = 0;  // of a timed recording
    bool recording_ = false;
    bool playing_ = false;
    bool continuous_ = false;
    bool busy_ = false;
    bool started_ = false;
    RecordButtons buttons_;
    std::time_t startTime_ = 0;
    // While a continuous recording runs; shared with appends still on their way to the disk.
    std::shared_ptr<RecordAppender> file_;
    uint64_t fileRecording_ = 0;  // counts continuous recordings: a late answer knows its own
    std::string fileName_;
    int32_t fileCount_ = 0;
    uint64_t recordedSeq_ = 0;  // the trace written last
};

}  // namespace tavrin
