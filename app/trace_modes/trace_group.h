// The "Trace" group: Max Hold and Min Hold with Clear, and which measurements the screen shows
// under the marker table. It keeps the holds, fed with every trace the screen shows as live.
#pragma once

#include "markers/marker_measurements.h"
#include "measure/trace_hold.h"
#include "settings/program_settings.h"

#include <QGroupBox>

class QCheckBox;
class QPushButton;

namespace tavrin {

class TraceGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TraceGroup(QWidget *parent = nullptr);

    // The saved measurement switches and hold colours; the holds start off.
    void Restore(const TraceModeSettings &saved);
    TraceModeSettings Saved() const;

    // A trace the screen shows as live (or averaged), with the settings its block reported.
    void Add(const LiveTrace &shown, const ReportedSettings &reported) { holds_.Add(shown, reported); }
    const TraceHolds &Holds() const { return holds_; }
    uint32_t HoldColor(HoldKind kind) const;
    MeasurementSwitches Measurements() const;

signals:
    void redrawNeeded();          // a hold switched on or off, or cleared
    void measurementsChanged();   // the measurement table gained or lost a row

private:
    struct Controls {
        QCheckBox *chkMaxHold = nullptr;
        QCheckBox *chkMinHold = nullptr;
        QPushButton *cmdClearHold = nullptr;
        QCheckBox *chkBandPower = nullptr;
        QCheckBox *chkOccupiedBW = nullptr;
        QCheckBox *chkNoiseMarker = nullptr;
    };

    TraceHolds holds_;
    TraceModeSettings saved_;  // the colours, kept as read
    Controls ui_;
};

}  // namespace tavrin
