#include "markers/marker_group.h"

#include "widgets/panel_widgets.h"
#include "widgets/spinner.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tavrin {

MarkerGroup::MarkerGroup(QWidget *parent) : QGroupBox("Marker", parent)
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

        connect(ui_.chkMKR[n], &QCheckBox::clicked, this, [this, i](bool on) { emit switched(i, on); });
        connect(ui_.cboMKR[n], &QComboBox::activated, this,
                [this, i, n] { emit deltaChosen(i, Text(ui_.cboMKR[n])); });
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
    QPushButton *cmdPeak = Button(this, "cmdPeak", "Peak");
    grid->addWidget(cmdPeak, kMarkerCount + 1, 3);
    connect(cmdPeak, &QPushButton::clicked, this, &MarkerGroup::peakClicked);
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

void MarkerGroup::FillSelectors()
{
    for (QComboBox *c : ui_.cboMKR) {
        c->clear();
        c->addItems({"NONE", "1", "2", "3", "4", "5"});
        c->setCurrentIndex(0);
    }
}

}  // namespace tavrin
