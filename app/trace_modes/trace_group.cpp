#include "trace_modes/trace_group.h"

#include "common/number_format.h"
#include "widgets/panel_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
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
    BuildChannels(grid, 2);
    BuildMemories(grid, 3);

    for (auto [box, kind] : {std::pair{ui_.chkMaxHold, HoldKind::Max}, std::pair{ui_.chkMinHold, HoldKind::Min}})
        connect(box, &QCheckBox::clicked, this, [this, kind](bool on) { emit holdSwitched(kind, on); });
    connect(clear, &QPushButton::clicked, this, &TraceGroup::holdsCleared);
    const std::pair<QCheckBox *, bool MeasurementSwitches::*> switches[] = {
        {ui_.chkBandPower, &MeasurementSwitches::bandPower},
        {ui_.chkOccupiedBW, &MeasurementSwitches::occupiedBandwidth},
        {ui_.chkNoiseMarker, &MeasurementSwitches::noiseMarker},
        {ui_.chkAdjacentChannel, &MeasurementSwitches::adjacentChannel}};
    for (auto [box, which] : switches)
        connect(box, &QCheckBox::clicked, this, [this, which](bool on) {
            MeasurementSwitches next = shown_;
            next.*which = on;
            emit measurementsChosen(next);
        });
}

// Adjacent channel power beside the other measurements, with its channels.
void TraceGroup::BuildChannels(QGridLayout *grid, int row)
{
    ui_.chkAdjacentChannel = Switch(this, "chkAdjacentChannel", "ACP",
                                    "Adjacent channel power: the channel at the centre and the channels beside it");
    ui_.txtChannelWidth = TextBox(this, "txtChannelWidth", "Channel width in MHz", 50);
    ui_.txtChannelSpacing = TextBox(this, "txtChannelSpacing", "Channel spacing in MHz", 50);
    auto *line = new QHBoxLayout;
    line->addWidget(ui_.chkAdjacentChannel);
    for (auto [caption, field] : {std::pair{"Width", ui_.txtChannelWidth}, std::pair{"Spacing", ui_.txtChannelSpacing}}) {
        auto *label = new QLabel(caption, this);
        label->setBuddy(field);
        line->addWidget(label);
        line->addWidget(field);
    }
    line->addWidget(new QLabel("MHz", this));
    line->addStretch(1);
    grid->addLayout(line, row, 0, 1, 3);
    for (QLineEdit *field : {ui_.txtChannelWidth, ui_.txtChannelSpacing})
        connect(field, &QLineEdit::editingFinished, this, [this, field] {
            if (!field->isModified())
                return;
            field->setModified(false);
            emit channelsEntered(Text(ui_.txtChannelWidth), Text(ui_.txtChannelSpacing));
        });
}

// Store A, Store B, their Show boxes and the difference view.
void TraceGroup::BuildMemories(QGridLayout *grid, int row)
{
    auto *line = new QHBoxLayout;
    for (int m = 0; m < 2; ++m) {
        const char *letter = m == 0 ? "A" : "B";
        const auto n = static_cast<size_t>(m);
        ui_.cmdStore[n] = Button(this, m == 0 ? "cmdStoreA" : "cmdStoreB", m == 0 ? "Store A" : "Store B");
        ui_.cmdStore[n]->setToolTip(QString("Keep the trace the markers read as memory %1").arg(letter));
        ui_.chkShow[n] = Switch(this, m == 0 ? "chkShowA" : "chkShowB", letter,
                                m == 0 ? "Show memory A" : "Show memory B");
        line->addWidget(ui_.cmdStore[n]);
        line->addWidget(ui_.chkShow[n]);
        connect(ui_.cmdStore[n], &QPushButton::clicked, this, [this, m] { emit memoryStored(m); });
        connect(ui_.chkShow[n], &QCheckBox::clicked, this, [this, m](bool on) { emit memoryShown(m, on); });
    }
    ui_.cboDifference = new QComboBox(this);
    ui_.cboDifference->setObjectName("cboDifference");
    ui_.cboDifference->setAccessibleName("Difference view");
    ui_.cboDifference->setToolTip("Levels, or the difference live - A or A - B on a scale of its own");
    ui_.cboDifference->addItems({"Levels", "Live - A", "A - B"});
    line->addWidget(ui_.cboDifference);
    grid->addLayout(line, row, 0, 1, 3);
    connect(ui_.cboDifference, &QComboBox::activated, this, [this](int chosen) { emit differenceChosen(chosen); });
}

void TraceGroup::Show(bool maxHold, bool minHold, MeasurementSwitches measurements)
{
    shown_ = measurements;
    ui_.chkMaxHold->setChecked(maxHold);
    ui_.chkMinHold->setChecked(minHold);
    ui_.chkBandPower->setChecked(measurements.bandPower);
    ui_.chkOccupiedBW->setChecked(measurements.occupiedBandwidth);
    ui_.chkNoiseMarker->setChecked(measurements.noiseMarker);
    ui_.chkAdjacentChannel->setChecked(measurements.adjacentChannel);
}

void TraceGroup::ShowMemories(const std::array<std::string, 2> &held, const std::array<bool, 2> &shown,
                              Difference difference)
{
    for (size_t m = 0; m < 2; ++m) {
        ui_.chkShow[m]->setChecked(shown[m]);
        const QString letter = m == 0 ? "A" : "B";
        ui_.chkShow[m]->setToolTip(held[m].empty() ? "Memory " + letter + " is empty"
                                                   : "Memory " + letter + ": " + QString::fromStdString(held[m]));
    }
    ui_.cboDifference->setCurrentIndex(difference);
}

void TraceGroup::ShowChannels(const ChannelPlan &plan)
{
    if (!ui_.txtChannelWidth->isModified())
        SetText(ui_.txtChannelWidth, PlainDecimal(plan.widthMHz));
    if (!ui_.txtChannelSpacing->isModified())
        SetText(ui_.txtChannelSpacing, PlainDecimal(plan.spacingMHz));
}

}  // namespace tavrin
