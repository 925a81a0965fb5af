// The "Trace Record" group: Record, Play, Load and Save, and what playback puts on the screen.
#pragma once

#include "measure/screen_conversions.h"
#include "measure/screen_view.h"

#include <QGroupBox>
#include <ctime>
#include <optional>

class QPushButton;

namespace tavrin {

struct RecordControls {
    QPushButton *cmdRecord = nullptr;
    QPushButton *cmdPlayRecord = nullptr;
    QPushButton *cmdLoadRecord = nullptr;
    QPushButton *cmdSaveRecord = nullptr;
};

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
    explicit RecordGroup(QWidget *parent = nullptr);

    // Start-up: nothing recorded, nothing to save or play.
    void Load();
    bool Recording() const { return recording_; }
    PlaybackView Playback() const;
    const RecordControls &Controls() const { return ui_; }

private:
    RecordControls ui_;
    LiveTrace play_{};
    bool recording_ = false;
    std::optional<std::time_t> playbackTime_;
    std::optional<SecondTraceInfo> secondTrace_;
};

}  // namespace tavrin
