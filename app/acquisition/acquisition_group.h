// The acquisition's buttons: Start/Stop (Stop while a start still waits for the analyzer gives
// it up), AVG and Freeze. The group shows the acquisition's state and says what was clicked.
#pragma once

#include <QWidget>

class QPushButton;

namespace tavrin {

class AcquisitionGroup : public QWidget {
    Q_OBJECT
public:
    explicit AcquisitionGroup(QWidget *parent = nullptr);

    // Running (or waiting for the analyzer's answer to Start) shows Stop in green, else Start in red.
    void ShowRunning(bool running);
    void ShowAveraging(bool on);
    void FocusStart();

signals:
    void startStopClicked();
    void averagingClicked();
    void freezeClicked();

private:
    QPushButton *cmdStart_ = nullptr;
    QPushButton *cmdAVG_ = nullptr;
};

}  // namespace tavrin
