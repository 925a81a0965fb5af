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
    ui_.cmdClearHold = Button(this, "cmdClearHold", "Clear");
    ui_.cmdClearHold->setToolTip("Start both holds again");
    ui_.cmdClearHold->setAccessibleName("Clear the holds");
    ui_.chkBandPower = Switch(this, "chkBandPower", "Band Power", "Band power between markers 1 and 2");
    ui_.chkOccupiedBW = Switch(this, "chkOccupiedBW", "OBW 99%", "Occupied bandwidth: 99 % of the trace's power");
    ui_.chkNoiseMarker = Switch(this, "chkNoiseMarker", "Noise MKR1", "Noise marker: marker 1's level per hertz");
    auto *grid = new QGridLayout(this);
    grid->addWidget(ui_.chkMaxHold, 0, 0);
    grid->addWidget(ui_.chkMinHold, 0, 1);
    grid->addWidget(ui_.cmdClearHold, 0, 2);
    grid->addWidget(ui_.chkBandPower, 1, 0);
    grid->addWidget(ui_.chkOccupiedBW, 1, 1);
    grid->addWidget(ui_.chkNoiseMarker, 1, 2);

    for (auto [box, kind] : {std::pair{ui_.chkMaxHold, HoldKind::Max}, std::pair{ui_.chkMinHold, HoldKind::Min}})
        connect(box, &QCheckBox::toggled, this, [this, kind](bool on) {
            holds_.SetOn(kind, on);
            emit redrawNeeded();
        });
    connect(ui_.cmdClearHold, &QPushButton::clicked, this, [this] {
        holds_.Clear();
        emit redrawNeeded();
    });
    for (QCheckBox *box : {ui_.chkBandPower, ui_.chkOccupiedBW, ui_.chkNoiseMarker})
        connect(box, &QCheckBox::toggled, this, &TraceGroup::measurementsChanged);
}

void TraceGroup::Restore(const TraceModeSettings &saved)
{
    saved_ = saved;
    ui_.chkMaxHold->setChecked(false);
    ui_.chkMinHold->setChecked(false);
    ui_.chkBandPower->setChecked(saved.bandPower);
    ui_.chkOccupiedBW->setChecked(saved.occupiedBandwidth);
    ui_.chkNoiseMarker->setChecked(saved.noiseMarker);
}

TraceModeSettings TraceGroup::Saved() const
{
    TraceModeSettings s = saved_;
    const MeasurementSwitches on = Measurements();
    s.bandPower = on.bandPower;
    s.occupiedBandwidth = on.occupiedBandwidth;
    s.noiseMarker = on.noiseMarker;
    return s;
}

uint32_t TraceGroup::HoldColor(HoldKind kind) const
{
    return kind == HoldKind::Max ? saved_.maxHoldColor : saved_.minHoldColor;
}

MeasurementSwitches TraceGroup::Measurements() const
{
    return {ui_.chkBandPower->isChecked(), ui_.chkOccupiedBW->isChecked(), ui_.chkNoiseMarker->isChecked()};
}

}  // namespace tavrin
