#include "markers/marker_group.h"

#include "common/number_format.h"
#include "common/rounding.h"
#include "common/text_number.h"
#include "markers/peak.h"
#include "measure/frequency_step.h"
#include "settings/operation_file.h"
#include "widgets/panel_widgets.h"
#include "widgets/spinner.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tavrin {

MarkerGroup::MarkerGroup(Deps deps, QWidget *parent) : QGroupBox("Marker", parent), d_(std::move(deps))
{
    setObjectName("fraMarker");
    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Freq.(MHz)"), 0, 1);
    grid->addWidget(new QLabel("Delta MKR"), 0, 3);
    for (int i = 0; i < kMarkerCount; ++i) {
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
        grid->addWidget(ui_.chkMKR[n], i + 1, 0);
        grid->addWidget(ui_.txtMKR[n], i + 1, 1);
        grid->addWidget(ui_.updMKR[n], i + 1, 2);
        grid->addWidget(ui_.cboMKR[n], i + 1, 3);

        // Every change redraws over the picture; a spinner click moves one step and the
        // spinner goes back to rest.
        connect(ui_.chkMKR[n], &QCheckBox::clicked, this, [this] { emit drawOverNeeded(); });
        connect(ui_.cboMKR[n], &QComboBox::activated, this, [this] { emit drawOverNeeded(); });
        connect(ui_.txtMKR[n], &QLineEdit::editingFinished, this, [this] { emit drawOverNeeded(); });
        connect(ui_.updMKR[n], &Spinner::positionChanged, this, [this, i](int pos) { MarkerStep(i, pos); });
        connect(ui_.updMKR[n], &Spinner::upClicked, this, [this, n] { ui_.updMKR[n]->SetPosition(0); });
        connect(ui_.updMKR[n], &Spinner::downClicked, this, [this, n] { ui_.updMKR[n]->SetPosition(0); });
    }
    QPushButton *cmdPeak = Button(this, "cmdPeak", "Peak");
    grid->addWidget(cmdPeak, kMarkerCount + 1, 3);
    connect(cmdPeak, &QPushButton::clicked, this, &MarkerGroup::cmdPeak_Click);
}

void MarkerGroup::RestoreSaved(const OperationFile &op)
{
    for (size_t i = 0; i < kMarkerCount; ++i)
        SetText(ui_.txtMKR[i], TrimSpaces(op.SavedMarkers[i]));
}

void MarkerGroup::SaveTexts(OperationFile &op) const
{
    for (size_t i = 0; i < kMarkerCount; ++i)
        op.SavedMarkers[i] = Text(ui_.txtMKR[i]);
}

void MarkerGroup::FillSelectors()
{
    for (QComboBox *c : ui_.cboMKR) {
        c->clear();
        c->addItems({"NONE", "1", "2", "3", "4", "5"});
        c->setCurrentIndex(0);
    }
}

const MarkerControls &MarkerGroup::View() const
{
    for (size_t i = 0; i < kMarkerCount; ++i) {
        view_[i].enabled = ui_.chkMKR[i]->isChecked();
        view_[i].freqText = Text(ui_.txtMKR[i]);
        view_[i].deltaRef = Text(ui_.cboMKR[i]);
    }
    return view_;
}

void MarkerGroup::MarkerStep(int index, int position)
{
    QLineEdit *text = ui_.txtMKR[static_cast<size_t>(index)];
    if (auto moved = StepFrequencyText(Text(text), position, d_.settings.FreqStepMHz))
        SetText(text, *moved);
    emit drawOverNeeded();
}

void MarkerGroup::cmdPeak_Click()
{
    const int n = PeakPoint(d_.shownTrace());
    const double f = ConvertNthPointToMHz(d_.state(), static_cast<int16_t>(n));
    SetText(ui_.txtMKR[0], FormatFixed(f, 4, 4));
    ui_.chkMKR[0]->setChecked(true);
    emit redrawNeeded();
}

void MarkerGroup::LabelDropped(int index, double x)
{
    if (index < 0 || index >= kMarkerCount)
        return;
    const auto n = static_cast<int16_t>(RoundHalfEvenToInt32(x));
    const double f = ConvertNthPointToMHz(d_.state(), n);
    SetText(ui_.txtMKR[static_cast<size_t>(index)], FormatPicture(f, "#0.000##"));
    emit redrawNeeded();
}

}  // namespace tavrin
