// The tracking generator: the mode button and the "TG Function" group (level, offset, output on
// and off, normalisation). It shows the generator as the session holds it and says what the user
// did; the session sends the commands.
#pragma once

#include "tg/tg_control.h"

#include <QWidget>
#include <string>

class QLineEdit;
class QPushButton;

namespace tavrin {

class Spinner;

class TGGroup : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLevelLowest = kTGLevelLowest, kLevelHighest = kTGLevelHighest;
    static constexpr int kOffsetLowest = kTGOffsetLowest, kOffsetHighest = kTGOffsetHighest;

    explicit TGGroup(QWidget *parent = nullptr);

    // Generator mode (its settings usable only then), its output, level and offset.
    void Show(bool mode, bool output, int level, int offset);

signals:
    void modeClicked();
    void outputClicked();
    void normalizeClicked();
    // The entries as typed (also when typed without Enter), before anything is sent.
    void levelEntered(const std::string &text);
    void offsetEntered(const std::string &text);
    // Enter in a field, or a spinner released: the generator's settings are to be sent.
    void settingsWanted();

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
    // The typed entries handed on, so that what is sent is what the fields show.
    void Entries();

    Controls ui_;
};

}  // namespace tavrin
