// The "Trace Record" group: Record, Play, Load and Save, the timer that clocks recording and
// playback, the progress of a recording, and what playback puts on the screen.
#pragma once

#include "display/screen_view.h"
#include "measure/screen_conversions.h"
#include "record/record_csv.h"
#include "record/record_file.h"

#include <QGroupBox>
#include <ctime>
#include <functional>
#include <optional>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tavrin {

class AcquisitionGroup;
class BasicGroup;
class TavrinDLL;
class UserDialogs;
struct OperationFile;

// What the screen draws of a playback: the played trace, the Play button's caption, the played
// entry's time (offline playback) and the shown record's settings (playback over the live trace).
struct PlaybackView {
    const LiveTrace *playTrace = nullptr;
    std::string playCaption = "Play";
    std::optional<std::time_t> playbackTime;
    std::optional<SecondTraceInfo> secondTrace;
};

class RecordGroup : public QGroupBox {
    Q_OBJECT
public:
    struct Deps {
        TavrinDLL &instrument;
        UserDialogs &dialogs;
        OperationFile &settings;
        AcquisitionGroup &acquisition;
        BasicGroup &basic;  // shows the played settings; nothing is sent
        std::function<std::time_t()> screenTime;  // of the screen shown last: the record's time
        std::function<std::vector<CsvHold>()> holds = {};  // the holds on, as the CSV file carries them
    };

    // The timer that clocks recording and playback is the child "TimerPlay".
    RecordGroup(Deps deps, QWidget *parent = nullptr);

    // Start-up: nothing recorded, nothing to save or play.
    void Load();
    // One step of the recording while it runs, of the playback otherwise: the timer's tick.
    void Step();
    // The record in the table, or the live trace when there is none, as a CSV file; the holds
    // that are on follow as rows of their own.
    void ExportCsv();

    bool Recording() const { return recording_; }
    bool Playing() const { return playing_; }
    PlaybackView Playback() const;
    // The trace the screen shows as live: the acquisition's, or the entry an offline playback put
    // in its place until the acquisition runs or takes a new trace.
    const LiveTrace &ShownTrace() const;
    // The record in the table, where recording writes or playback shows next, and the entry
    // playback showed last with its points on the screen's scale.
    const RecordTable &Table() const { return table_; }
    int32_t Position() const { return position_; }
    int32_t ShownIndex() const { return shown_; }
    const LiveTrace &PlayTrace() const { return play_; }

signals:
    // Offline playback put an entry on the screen.
    void redrawNeeded();

private:
    struct Controls {
        QPushButton *cmdRecord = nullptr;
        QPushButton *cmdPlayRecord = nullptr;
        QPushButton *cmdLoadRecord = nullptr;
        QPushButton *cmdSaveRecord = nullptr;
        QLabel *lblRecordProgress = nullptr;
        QProgressBar *barRecordProgress = nullptr;
    };

    void Build();
    void cmdRecord_Click();
    void cmdPlayRecord_Click();
    void cmdLoadRecord_Click();
    void cmdSaveRecord_Click();
    void LoadFrom(const std::string &name);
    // The save question: a name to write, after the replace question; nothing on a cancel.
    std::optional<std::string> AskFileToWrite(const std::string &filter, const std::string &proposed,
                                              const std::string &suffix);
    bool RefuseStart(const std::string &why);
    bool StartRecording();
    void StopRecording();
    void RecordStep();
    void PlayStep();
    TraceRecord TakeRecord() const;
    TraceRecord LiveRecord() const;
    void ShowProgress();
    const TraceRecord *Entry(int32_t index) const;

    Deps d_;
    Controls ui_;
    QTimer *timerPlay_ = nullptr;
    QTimer *progressClock_ = nullptr;
    RecordTable table_;
    int32_t position_ = 0;  // where recording writes, playback shows, saving walks
    int32_t shown_ = 0;     // the entry playback showed last
    LiveTrace play_{};
    bool recording_ = false;
    bool playing_ = false;
    bool continuous_ = false;
    bool inDialog_ = false;  // a file question or a file job serves events: the group's buttons wait
    std::time_t recordStartTime_ = 0;
    std::string recordFileName_;
    int32_t recordFileCount_ = 0;
    unsigned recordedTrace_ = 0;  // the acquisition's trace count at the last entry
    std::string lastFileName_;  // what the save form of the file dialog returned last
    LiveTrace offlineTrace_{};
    unsigned tracesAtOfflineStep_ = 0;
    bool offlineShown_ = false;
};

}  // namespace tavrin
