#include "trace_modes/trace_group.h"

#include "widgets/panel_widgets.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QPushButton>

namespace tavrin {

TraceGroup::TraceGroup(QWidget *parent) : QGroupBox("Trace", parent)
{
    setObjectName("fraTrace");
    ui_.chkMaxHold = Switch(this, "chkMaxHold", "Max Hold", "Max hold: the highest level of each point");
    ui_.chkMinHold = Switch(this, "chkMinHold", "Min Hold", "Min hold: the lowest level of each point");
    QPushButton *clear = Button(this, "cmdClearHold", "Clear");
    clear->setToolTip("Start both holds again");
    clear->setAccessibleName("Clear the holds");
    ui_.chkBandPower = Switch(this, "chkBandPower", "Band Power", "Band power between markers 1 and 2");
    ui_.chkOccupiedBW = Switch(this, "chkOccupiedBW", "OBW 99%", "Occupied bandwidth: 99 % of the trace's power");
    ui_.chkNoiseMarker = Switch(this, "chkNoiseMarker", "Noise MKR1", "Noise marker: marker 1's level per hertz");
    auto *grid = new QGridLayout(this);
    grid->addWidget(ui_.chkMaxHold, 0, 0);
    grid->addWidget(ui_.chkMinHold, 0, 1);
    grid->addWidget(clear, 0, 2);
    grid->addWidget(ui_.chkBandPower, 1, 0);
    grid->addWidget(ui_.chkOccupiedBW, 1, 1);
    grid->addWidget(ui_.chkNoiseMarker, 1, 2);

    for (auto [box, kind] : {std::pair{ui_.chkMaxHold, HoldKind::Max}, std::pair{ui_.chkMinHold, HoldKind::Min}})
        connect(box, &QCheckBox::clicked, this, [this, kind](bool on) { emit holdSwitched(kind, on); });
    connect(clear, &QPushButton::clicked, this, &TraceGroup::holdsCleared);
    const std::pair<QCheckBox *, bool MeasurementSwitches::*> switches[] = {
        {ui_.chkBandPower, &MeasurementSwitches::bandPower},
        {ui_.chkOccupiedBW, &MeasurementSwitches::occupiedBandwidth},
        {ui_.chkNoiseMarker, &MeasurementSwitches::noiseMarker}};
    for (auto [box, which] : switches)
        connect(box, &QCheckBox::clicked, this, [this, which](bool on) {
            MeasurementSwitches next = shown_;
            next.*which = on;
            emit measurementsChosen(next);
        });
}

void TraceGroup::Show(bool maxHold, bool minHold, MeasurementSwitches measurements)
{
    shown_ = measurements;
    ui_.chkMaxHold->setChecked(maxHold);
    ui_.chkMinHold->setChecked(minHold);
    ui_.chkBandPower->setChecked(measurements.bandPower);
    ui_.chkOccupiedBW->setChecked(measurements.occupiedBandwidth);
    ui_.chkNoiseMarker->setChecked(measurements.noiseMarker);
}

}  // namespace tavrin
