// The "Trace" group: Max Hold and Min Hold with Clear, which measurements the screen shows under
// the marker table (adjacent channel power with its channels' width and spacing), and the trace
// memories A and B: Store, Show and the difference view. It shows what the session holds and says
// what the user switched.
#pragma once

#include "markers/marker_measurements.h"
#include "measure/trace_hold.h"

#include <QGroupBox>
#include <array>
#include <string>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;

namespace tavrin {

class TraceGroup : public QGroupBox {
    Q_OBJECT
public:
    // The difference selector's rows.
    enum Difference { kLevels = 0, kLiveMinusA = 1, kAMinusB = 2 };

    explicit TraceGroup(QWidget *parent = nullptr);

    void Show(bool maxHold, bool minHold, MeasurementSwitches measurements);
    // Which memory holds a trace (shown in its tip), which is shown, and the difference view.
    void ShowMemories(const std::array<std::string, 2> &held, const std::array<bool, 2> &shown, Difference difference);
    void ShowChannels(const ChannelPlan &plan);

signals:
    void holdSwitched(tavrin::HoldKind kind, bool on);
    void holdsCleared();
    void measurementsChosen(tavrin::MeasurementSwitches on);
    // Memory 0 (A) or 1 (B).
    void memoryStored(int memory);
    void memoryShown(int memory, bool on);
    void differenceChosen(int difference);
    // Enter in the width or the spacing field (or the field left): both texts as typed.
    void channelsEntered(const std::string &width, const std::string &spacing);

private:
    void BuildMemories(QGridLayout *grid, int row);
    void BuildChannels(QGridLayout *grid, int row);

    struct Controls {
        QCheckBox *chkMaxHold = nullptr;
        QCheckBox *chkMinHold = nullptr;
        QCheckBox *chkBandPower = nullptr;
        QCheckBox *chkOccupiedBW = nullptr;
        QCheckBox *chkNoiseMarker = nullptr;
        QCheckBox *chkAdjacentChannel = nullptr;
        QLineEdit *txtChannelWidth = nullptr;
        QLineEdit *txtChannelSpacing = nullptr;
        std::array<QPushButton *, 2> cmdStore{};
        std::array<QCheckBox *, 2> chkShow{};
        QComboBox *cboDifference = nullptr;
    };
    Controls ui_;
    MeasurementSwitches shown_;  // as shown last: a click changes one of them
};

}  // namespace tavrin
