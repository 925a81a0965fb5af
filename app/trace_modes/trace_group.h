// The "Trace" group: Max Hold and Min Hold with Clear, and which measurements the screen shows
// under the marker table. It shows what the session holds and says what the user switched.
#pragma once

#include "markers/marker_measurements.h"
#include "measure/trace_hold.h"

#include <QGroupBox>

class QCheckBox;

namespace tavrin {

class TraceGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TraceGroup(QWidget *parent = nullptr);

    void Show(bool maxHold, bool minHold, MeasurementSwitches measurements);

signals:
    void holdSwitched(tavrin::HoldKind kind, bool on);
    void holdsCleared();
    void measurementsChosen(tavrin::MeasurementSwitches on);

private:
    struct Controls {
        QCheckBox *chkMaxHold = nullptr;
        QCheckBox *chkMinHold = nullptr;
        QCheckBox *chkBandPower = nullptr;
        QCheckBox *chkOccupiedBW = nullptr;
        QCheckBox *chkNoiseMarker = nullptr;
    };
    Controls ui_;
    MeasurementSwitches shown_;  // as shown last: a click changes one of them
};

}  // namespace tavrin
