#include "markers/limit_group.h"

#include "common/color_qt.h"
#include "common/dialogs.h"
#include "common/program_folder.h"
#include "markers/limit_file.h"
#include "widgets/panel_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>

namespace tavrin {

LimitGroup::LimitGroup(Deps deps, QWidget *parent) : QGroupBox("Limit", parent), d_(std::move(deps))
{
    setObjectName("fraLimit");
    auto *grid = new QGridLayout(this);
    for (int k = 0; k < 2; ++k) {
        const auto n = static_cast<size_t>(k);
        const QString name = QString("Limit %1").arg(k + 1);
        ui_.chkLim[n] = new QCheckBox(name, this);
        ui_.chkLim[n]->setObjectName(QString("chkLim%1").arg(k));
        // The check box's text colour is the line's colour: a legend.
        ui_.chkLim[n]->setStyleSheet(QString("QCheckBox { color: %1; }").arg(ToQColor(limits_[n].color).name()));
        ui_.cboLim[n] = new QComboBox(this);
        ui_.cboLim[n]->setObjectName(QString("cboLim%1").arg(k));
        ui_.cboLim[n]->setAccessibleName(name + " file");
        ui_.cboLim[n]->setMinimumContentsLength(10);
        grid->addWidget(ui_.chkLim[n], k, 0);
        grid->addWidget(ui_.cboLim[n], k, 1);
        connect(ui_.chkLim[n], &QCheckBox::clicked, this, [this] { d_.redraw(); });
        connect(ui_.cboLim[n], &QComboBox::activated, this, [this, k] { LimitChosen(k); });
    }
}

void LimitGroup::RefreshLimitSelector()
{
    const std::vector<std::string> names = ListLimitNames(WorkingFolder());
    for (QComboBox *c : ui_.cboLim) {
        c->clear();
        c->addItem("NONE");
        for (const std::string &name : names)
            c->addItem(QString::fromStdString(name));
        c->setCurrentIndex(0);
    }
}

void LimitGroup::LimitChosen(int line)
{
    if (line < 0 || line > 1)
        return;
    const auto k = static_cast<size_t>(line);
    const std::string name = ui_.cboLim[k]->currentText().toStdString();
    if (name != "NONE") {
        const LimitFileResult file = ReadLimitFile(JoinPath(WorkingFolder(), name + ".lim"));
        if (!file.ok) {
            // The line keeps its points and the picture stays as it is.
            d_.dialogs.ShowMessage("TavrinRemote", file.error);
            return;
        }
        limits_[k].points = file.points;
    }
    d_.redraw();
}

const LimitLines &LimitGroup::View() const
{
    for (size_t k = 0; k < 2; ++k) {
        limits_[k].shown = ui_.chkLim[k]->isChecked();
        limits_[k].selector = ui_.cboLim[k]->currentText().toStdString();
    }
    return limits_;
}

}  // namespace tavrin
