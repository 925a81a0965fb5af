#include "markers/marker_group.h"

#include "common/number_format.h"
#include "widgets/panel_widgets.h"
#include "widgets/spinner.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

namespace tavrin {

MarkerGroup::MarkerGroup(QWidget *parent) : QGroupBox("Marker", parent)
{
    setObjectName("fraMarker");
    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Freq.(MHz)"), 0, 1);
    grid->addWidget(new QLabel("Delta MKR"), 0, 3);
    grid->addWidget(new QLabel("Track"), 0, 4);
    for (int i = 0; i < kMarkerCount; ++i)
        BuildRow(grid, i);
    QPushButton *cmdPeak = Button(this, "cmdPeak", "Peak");
    grid->addWidget(cmdPeak, kMarkerCount + 1, 3);
    connect(cmdPeak, &QPushButton::clicked, this, &MarkerGroup::peakClicked);
    BuildPeakTools(grid, kMarkerCount + 2);
}

void MarkerGroup::BuildRow(QGridLayout *grid, int i)
{
    const auto n = static_cast<size_t>(i);
    const QString name = QString("Marker %1").arg(i + 1);
    ui_.chkMKR[n] = new QCheckBox(QString::number(i + 1), this);
    ui_.chkMKR[n]->setObjectName(QString("chkMKR%1").arg(i));
    ui_.chkMKR[n]->setAccessibleName(name);
    ui_.txtMKR[n] = TextBox(this, "txtMKR", name + " frequency", 90);
    ui_.txtMKR[n]->setObjectName(QString("txtMKR%1").arg(i));
    ui_.updMKR[n] = MakeSpinner(this, "updMKR", name + " frequency", 1000, -1000000, 1000000);
    ui_.updMKR[n]->setObjectName(QString("updMKR%1").arg(i));
    ui_.cboMKR[n] = new QComboBox(this);
    ui_.cboMKR[n]->setObjectName(QString("cboMKR%1").arg(i));
    ui_.cboMKR[n]->setAccessibleName(name + " delta marker");
    ui_.chkTrack[n] = new QCheckBox(this);
    ui_.chkTrack[n]->setObjectName(QString("chkTrackMKR%1").arg(i));
    ui_.chkTrack[n]->setAccessibleName(name + " tracks the peak");
    ui_.chkTrack[n]->setToolTip(name + " follows the highest point of every trace");
    grid->addWidget(ui_.chkMKR[n], i + 1, 0);
    grid->addWidget(ui_.txtMKR[n], i + 1, 1);
    grid->addWidget(ui_.updMKR[n], i + 1, 2);
    grid->addWidget(ui_.cboMKR[n], i + 1, 3);
    grid->addWidget(ui_.chkTrack[n], i + 1, 4);

    connect(ui_.chkMKR[n], &QCheckBox::clicked, this, [this, i](bool on) { emit switched(i, on); });
    connect(ui_.chkTrack[n], &QCheckBox::clicked, this, [this, i](bool on) { emit trackSwitched(i, on); });
    connect(ui_.cboMKR[n], &QComboBox::activated, this, [this, i, n] { emit deltaChosen(i, Text(ui_.cboMKR[n])); });
    connect(ui_.txtMKR[n], &QLineEdit::editingFinished, this, [this, i, n] {
        if (ui_.txtMKR[n]->isModified()) {
            ui_.txtMKR[n]->setModified(false);
            emit frequencyEntered(i, Text(ui_.txtMKR[n]));
        }
    });
    // A click moves one step, and the spinner goes back to rest.
    auto step = [this, i, n](int direction) {
        ui_.updMKR[n]->SetPosition(0);
        emit stepped(i, direction);
    };
    connect(ui_.updMKR[n], &Spinner::upClicked, this, [step] { step(1); });
    connect(ui_.updMKR[n], &Spinner::downClicked, this, [step] { step(-1); });
}

// Next peak, Peak left and Peak right move the marker touched last; the rules of what a peak is.
void MarkerGroup::BuildPeakTools(QGridLayout *grid, int row)
{
    auto *moves = new QHBoxLayout;
    const std::pair<const char *, const char *> buttons[] = {
        {"cmdNextPeak", "Next Peak"}, {"cmdPeakLeft", "Peak Left"}, {"cmdPeakRight", "Peak Right"}};
    const char *tips[] = {"The active marker to the next lower peak", "The active marker to the nearest peak on its left",
                          "The active marker to the nearest peak on its right"};
    void (MarkerGroup::*signal[])() = {&MarkerGroup::nextPeakClicked, &MarkerGroup::peakLeftClicked,
                                       &MarkerGroup::peakRightClicked};
    for (size_t b = 0; b < std::size(buttons); ++b) {
        QPushButton *button = Button(this, buttons[b].first, buttons[b].second);
        button->setAccessibleDescription(tips[b]);  // the caption is its name
        button->setToolTip(tips[b]);
        moves->addWidget(button);
        connect(button, &QPushButton::clicked, this, signal[b]);
    }
    grid->addLayout(moves, row, 0, 1, 5);

    auto *rules = new QHBoxLayout;
    ui_.txtExcursion = TextBox(this, "txtPeakExcursion", "Peak excursion in dB", 45);
    ui_.txtThreshold = TextBox(this, "txtPeakThreshold", "Peak threshold in dBm, empty for none", 55);
    ui_.txtThreshold->setPlaceholderText("none");
    for (auto [caption, field, unit] : {std::tuple{"Excursion", ui_.txtExcursion, "dB"},
                                        std::tuple{"Threshold", ui_.txtThreshold, "dBm"}}) {
        auto *label = new QLabel(caption, this);
        label->setBuddy(field);
        rules->addWidget(label);
        rules->addWidget(field);
        rules->addWidget(new QLabel(unit, this));
        connect(field, &QLineEdit::editingFinished, this, [this, field] {
            if (!field->isModified())
                return;
            field->setModified(false);
            emit peakRulesEntered(Text(ui_.txtExcursion), Text(ui_.txtThreshold));
        });
    }
    grid->addLayout(rules, row + 1, 0, 1, 5);
    // Left of Peak, where the row has room: the panel stays narrow enough to leave the display
    // the larger part of a laptop's screen.
    ui_.chkPeakTable = Switch(this, "chkPeakTable", "Peak table", "Peak table: up to ten peaks under the marker table");
    grid->addWidget(ui_.chkPeakTable, row - 1, 0, 1, 3);
    connect(ui_.chkPeakTable, &QCheckBox::clicked, this, &MarkerGroup::peakTableSwitched);
}

void MarkerGroup::Show(const MarkerControls &markers)
{
    for (size_t i = 0; i < kMarkerCount; ++i) {
        ui_.chkMKR[i]->setChecked(markers[i].enabled);
        if (!ui_.txtMKR[i]->isModified())
            SetText(ui_.txtMKR[i], markers[i].freqText);
        const int row = ui_.cboMKR[i]->findText(QString::fromStdString(markers[i].deltaRef));
        ui_.cboMKR[i]->setCurrentIndex(row);
    }
}

void MarkerGroup::ShowPeakTools(const std::array<bool, kMarkerCount> &tracking, const PeakRules &rules, bool table)
{
    for (size_t i = 0; i < kMarkerCount; ++i)
        ui_.chkTrack[i]->setChecked(tracking[i]);
    if (!ui_.txtExcursion->isModified())
        SetText(ui_.txtExcursion, PlainDecimal(rules.excursionDb));
    if (!ui_.txtThreshold->isModified())
        SetText(ui_.txtThreshold, std::isfinite(rules.thresholdDbm) ? PlainDecimal(rules.thresholdDbm) : "");
    ui_.chkPeakTable->setChecked(table);
}

void MarkerGroup::FillSelectors()
{
    for (QComboBox *c : ui_.cboMKR) {
        c->clear();
        c->addItems({"NONE", "1", "2", "3", "4", "5"});
        c->setCurrentIndex(0);
    }
}

}  // namespace tavrin
