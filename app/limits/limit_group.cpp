#include "limits/limit_group.h"

#include "common/color_qt.h"
#include "common/dialogs.h"
#include "common/program_folder.h"
#include "limits/limit_file.h"
#include "widgets/file_job.h"
#include "widgets/panel_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <memory>

namespace tavrin {

namespace {

// "NONE" and the names, kept as the file system's bytes, which open the file whatever the locale
// makes of them.
void List(QComboBox *box, const std::vector<std::string> &names)
{
    box->clear();
    box->addItem("NONE", QByteArray("NONE"));
    for (const std::string &name : names)
        box->addItem(QFile::decodeName(QByteArray::fromStdString(name)), QByteArray::fromStdString(name));
}

}  // namespace

LimitGroup::LimitGroup(Deps deps, QWidget *parent) : QGroupBox("Limit", parent), d_(std::move(deps))
{
    setObjectName("fraLimit");
    auto *grid = new QGridLayout(this);
    const LimitLines colours = InitialLimitLines();
    for (int k = 0; k < 2; ++k) {
        const auto n = static_cast<size_t>(k);
        const QString name = QString("Limit %1").arg(k + 1);
        chkLim_[n] = new QCheckBox(name, this);
        chkLim_[n]->setObjectName(QString("chkLim%1").arg(k));
        // The check box's text colour is the line's colour: a legend.
        chkLim_[n]->setStyleSheet(QString("QCheckBox { color: %1; }").arg(ToQColor(colours[n].color).name()));
        cboLim_[n] = new QComboBox(this);
        cboLim_[n]->setObjectName(QString("cboLim%1").arg(k));
        cboLim_[n]->setAccessibleName(name + " file");
        cboLim_[n]->setMinimumContentsLength(8);
        cboKind_[n] = new QComboBox(this);
        cboKind_[n]->setObjectName(QString("cboLimKind%1").arg(k));
        cboKind_[n]->setAccessibleName(name + " kind");
        cboKind_[n]->addItems({"Upper", "Lower"});
        cboKind_[n]->setToolTip("Upper: the trace passes at or below the line; Lower: at or above it");
        grid->addWidget(chkLim_[n], k, 0);
        grid->addWidget(cboLim_[n], k, 1);
        grid->addWidget(cboKind_[n], k, 2);
        connect(chkLim_[n], &QCheckBox::clicked, this, [this, n](bool on) { emit switched(n, on); });
        connect(cboLim_[n], &QComboBox::activated, this, [this, k] { LimitChosen(k); });
        connect(cboKind_[n], &QComboBox::activated, this, [this, n](int row) {
            emit kindChosen(n, row == 1 ? LimitKind::Lower : LimitKind::Upper);
        });
    }
    auto *row = new QHBoxLayout;
    chkBeep_ = Switch(this, "chkLimBeep", "Beep", "Beep when a limit line fails");
    chkCapture_ = Switch(this, "chkLimCapture", "Capture", "Save the screen as a JPEG file when a limit line fails");
    chkLog_ = Switch(this, "chkLimLog", "Log", "Log limit failures in limit_failures.csv in the Working folder");
    chkLog_->setChecked(true);
    QPushButton *clear = Button(this, "cmdLimClear", "Clear");
    clear->setAccessibleName("Clear the limit counters");
    clear->setToolTip("Count the failed traces from now on");
    for (QWidget *w : std::initializer_list<QWidget *>{chkBeep_, chkCapture_, chkLog_, clear})
        row->addWidget(w);
    grid->addLayout(row, 2, 0, 1, 3);
    const std::pair<QCheckBox *, bool LimitAlarms::*> alarms[] = {
        {chkBeep_, &LimitAlarms::beep}, {chkCapture_, &LimitAlarms::capture}, {chkLog_, &LimitAlarms::log}};
    for (auto [box, which] : alarms)
        connect(box, &QCheckBox::clicked, this, [this, which](bool on) {
            LimitAlarms next = shownAlarms_;
            next.*which = on;
            emit alarmsChosen(next);
        });
    connect(clear, &QPushButton::clicked, this, &LimitGroup::clearClicked);
}

void LimitGroup::RefreshLimitSelector()
{
    const std::vector<std::string> names = ListLimitNames(WorkingFolder());
    for (QComboBox *c : cboLim_) {
        List(c, names);
        c->setCurrentIndex(0);
    }
}

void LimitGroup::Select(size_t line, const std::string &name)
{
    cboLim_[line]->setCurrentIndex(std::max(0, cboLim_[line]->findData(QByteArray::fromStdString(name))));
}

void LimitGroup::Relist()
{
    const std::vector<std::string> names = ListLimitNames(WorkingFolder());
    for (size_t k = 0; k < 2; ++k) {
        List(cboLim_[k], names);
        Select(k, shownFile_[k]);
    }
}

void LimitGroup::Show(const LimitLines &lines, const LimitAlarms &alarms)
{
    for (size_t k = 0; k < 2; ++k) {
        chkLim_[k]->setChecked(lines[k].shown);
        shownFile_[k] = lines[k].selector;
        Select(k, lines[k].selector);
        cboKind_[k]->setCurrentIndex(lines[k].kind == LimitKind::Lower ? 1 : 0);
    }
    shownAlarms_ = alarms;
    chkBeep_->setChecked(alarms.beep);
    chkCapture_->setChecked(alarms.capture);
    chkLog_->setChecked(alarms.log);
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
    if (name == "NONE") {
        emit fileChosen(k, name, {});
        return;
    }
    const std::string path = JoinPath(WorkingFolder(), name + ".lim");
    auto file = std::make_shared<LimitFileResult>();
    for (QComboBox *c : cboLim_)
        c->setEnabled(false);  // one file at a time
    StartFileJob(
        this, d_.dialogs, "TavrinRemote", "Loading " + path,
        [file, path](JobControl &control) { *file = ReadLimitFile(path, &control); },
        [this, file, k, name](bool) {
            for (QComboBox *c : cboLim_)
                c->setEnabled(true);
            if (file->ok) {
                emit fileChosen(k, name, std::move(file->points));
                return;
            }
            // The line keeps its file and points, and its selector shows that file again.
            Select(k, shownFile_[k]);
            if (!file->cancelled)
                d_.dialogs.ShowMessage("TavrinRemote", file->error);
        });
}

}  // namespace tavrin
