#include "markers/limit_group.h"

#include "common/color_qt.h"
#include "common/dialogs.h"
#include "common/program_folder.h"
#include "markers/limit_file.h"
#include "widgets/file_job.h"
#include "widgets/panel_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>

namespace tavrin {

LimitGroup::LimitGroup(Deps deps, QWidget *parent) : QGroupBox("Limit", parent), d_(std::move(deps))
{
    setObjectName("fraLimit");
    auto *grid = new QGridLayout(this);
    for (int k = 0; k < 2; ++k) {
        const auto n = static_cast<size_t>(k);
        const QString name = QString("Limit %1").arg(k + 1);
        chkLim_[n] = new QCheckBox(name, this);
        chkLim_[n]->setObjectName(QString("chkLim%1").arg(k));
        // The check box's text colour is the line's colour: a legend.
        chkLim_[n]->setStyleSheet(QString("QCheckBox { color: %1; }").arg(ToQColor(limits_[n].color).name()));
        cboLim_[n] = new QComboBox(this);
        cboLim_[n]->setObjectName(QString("cboLim%1").arg(k));
        cboLim_[n]->setAccessibleName(name + " file");
        cboLim_[n]->setMinimumContentsLength(10);
        grid->addWidget(chkLim_[n], k, 0);
        grid->addWidget(cboLim_[n], k, 1);
        connect(chkLim_[n], &QCheckBox::clicked, this, [this] { emit redrawNeeded(); });
        connect(cboLim_[n], &QComboBox::activated, this, [this, k] { LimitChosen(k); });
    }
}

void LimitGroup::RefreshLimitSelector()
{
    // Kept as the file system's bytes, which open the file whatever the locale makes of them.
    const std::vector<std::string> names = ListLimitNames(WorkingFolder());
    for (QComboBox *c : cboLim_) {
        c->clear();
        c->addItem("NONE", QByteArray("NONE"));
        for (const std::string &name : names)
            c->addItem(QFile::decodeName(QByteArray::fromStdString(name)), QByteArray::fromStdString(name));
        c->setCurrentIndex(0);
    }
}

std::string LimitGroup::ChosenName(size_t line) const
{
    const QVariant name = cboLim_[line]->currentData();
    return name.isValid() ? name.toByteArray().toStdString() : cboLim_[line]->currentText().toStdString();
}

void LimitGroup::LimitChosen(int line)
{
    if (line < 0 || line > 1)
        return;
    const auto k = static_cast<size_t>(line);
    const std::string name = ChosenName(k);
    if (name != "NONE") {
        const std::string path = JoinPath(WorkingFolder(), name + ".lim");
        LimitFileResult file;
        RunFileJob(d_.dialogs, "TavrinRemote", "Loading " + path,
                   [&](JobControl &control) { file = ReadLimitFile(path, &control); });
        if (file.cancelled)
            return;
        if (!file.ok) {
            // The line keeps its points and the picture stays as it is.
            d_.dialogs.ShowMessage("TavrinRemote", file.error);
            return;
        }
        limits_[k].points = std::move(file.points);
        IndexLimitLine(limits_[k]);
    }
    emit redrawNeeded();
}

const LimitLines &LimitGroup::View() const
{
    for (size_t k = 0; k < 2; ++k) {
        limits_[k].shown = chkLim_[k]->isChecked();
        limits_[k].selector = ChosenName(k);
    }
    return limits_;
}

}  // namespace tavrin
