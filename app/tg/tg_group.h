// The tracking generator: the mode button and the "TG Function" group (level, offset, output on
// and off, normalisation).
#pragma once

#include <QWidget>

class QGroupBox;
class QLineEdit;
class QPushButton;

namespace tavrin {

class Spinner;

struct TGControls {
    QPushButton *cmdTGMode = nullptr;
    QGroupBox *fraTG = nullptr;
    QLineEdit *txtTGLevel = nullptr;
    Spinner *updTGLevel = nullptr;
    QLineEdit *txtTGOffset = nullptr;
    Spinner *updTGOffset = nullptr;
    QPushButton *cmdTGON = nullptr;
    QPushButton *cmdNormal = nullptr;
};

class TGGroup : public QWidget {
    Q_OBJECT
public:
    explicit TGGroup(QWidget *parent = nullptr);

    // Start-up: not in generator mode, its settings disabled until the mode is entered.
    void Load();
    void TGFrameEnable(bool enabled);
    bool TGMode() const { return tgMode_; }
    const TGControls &Controls() const { return ui_; }

private:
    TGControls ui_;
    bool tgMode_ = false;
};

}  // namespace tavrin
