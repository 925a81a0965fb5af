// The tracking generator: the mode button and the "TG Function" group (level, offset, output on
// and off, normalisation).
#pragma once

#include "tg/tg_control.h"

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QLineEdit;
class QPushButton;

namespace tavrin {

class AcquisitionTimer;
class Spinner;
class TavrinDLL;

class TGGroup : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLevelLowest = kTGLevelLowest, kLevelHighest = kTGLevelHighest;
    static constexpr int kOffsetLowest = kTGOffsetLowest, kOffsetHighest = kTGOffsetHighest;

    struct Deps {
        TavrinDLL &instrument;
        // Held while the generator's commands go out, so that no trace read comes between them.
        AcquisitionTimer &acquisition;
    };

    TGGroup(Deps deps, QWidget *parent = nullptr);

    // Start-up: not in generator mode, output off, its settings disabled until the mode is entered.
    void Load();
    bool TGOn() const { return tgOn_; }  // the generator's output

signals:
    // Generator mode entered (true) or left: the analyzer's settings cannot be changed meanwhile.
    void tgModeChanged(bool on);

private:
    struct Controls {
        QPushButton *cmdTGMode = nullptr;
        QLineEdit *txtTGLevel = nullptr;
        Spinner *updTGLevel = nullptr;
        QLineEdit *txtTGOffset = nullptr;
        Spinner *updTGOffset = nullptr;
        QPushButton *cmdTGON = nullptr;
        QPushButton *cmdNormal = nullptr;
    };

    void TGFrameEnable(bool enabled);
    void cmdTGMode_Click();
    void cmdTGON_Click();
    void cmdNormal_Click();
    // Enter in a field: the entry is normalised, then the settings are sent.
    void txtTGLevel_Enter();
    void txtTGOffset_Enter();
    // After a level or offset entry and when a spinner is released.
    void SendTGSettings();
    // Runs an action, or queues it behind the one still waiting on the line, so that a second
    // click never interleaves its commands with the first one's.
    void Act(std::function<void()> action);
    // Generator on (when switched on), level and offset, in the order the instrument takes them.
    void SendAll();
    void ShowAnalyzerMode();
    int16_t Level();
    int16_t Offset();
    void NormalizeEntry(QLineEdit *field, Spinner *spinner, int lowest, int highest);

    Deps d_;
    Controls ui_;
    bool tgMode_ = false;
    bool tgOn_ = false;
    bool acting_ = false;
    std::vector<std::function<void()>> pending_;
};

}  // namespace tavrin
