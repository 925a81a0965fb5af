#include "markers/limit_group.h"

#include "common/color_qt.h"
#include "common/dialogs.h"
#include "common/program_folder.h"
#include "common/safe_file.h"
#include "markers/limit_file.h"
#include "widgets/file_job.h"
#include "widgets/panel_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <filesystem>

namespace tavrin {

namespace {

constexpr char kFailureLog[] = "limit_failures.csv";

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
        cboLim_[n]->setMinimumContentsLength(8);
        cboKind_[n] = new QComboBox(this);
        cboKind_[n]->setObjectName(QString("cboLimKind%1").arg(k));
        cboKind_[n]->setAccessibleName(name + " kind");
        cboKind_[n]->addItems({"Upper", "Lower"});
        cboKind_[n]->setToolTip("Upper: the trace passes at or below the line; Lower: at or above it");
        grid->addWidget(chkLim_[n], k, 0);
        grid->addWidget(cboLim_[n], k, 1);
        grid->addWidget(cboKind_[n], k, 2);
        connect(chkLim_[n], &QCheckBox::clicked, this, [this, n](bool on) {
            if (on)
                Restart(n);
            emit redrawNeeded();
        });
        connect(cboLim_[n], &QComboBox::activated, this, [this, k] { LimitChosen(k); });
        connect(cboKind_[n], &QComboBox::activated, this, [this, n] {
            Restart(n);
            emit redrawNeeded();
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
    connect(clear, &QPushButton::clicked, this, [this] {
        Restart(0), Restart(1);
        emit redrawNeeded();
    });
}

void LimitGroup::RefreshLimitSelector()
{
    const std::vector<std::string> names = ListLimitNames(WorkingFolder());
    for (QComboBox *c : cboLim_) {
        List(c, names);
        c->setCurrentIndex(0);
    }
}

void LimitGroup::Relist(const std::string &made, const std::vector<LimitPoint> &points)
{
    const std::vector<std::string> names = ListLimitNames(WorkingFolder());
    for (size_t k = 0; k < 2; ++k) {
        const std::string kept = ChosenName(k);
        List(cboLim_[k], names);
        cboLim_[k]->setCurrentIndex(std::max(0, cboLim_[k]->findData(QByteArray::fromStdString(kept))));
        if (kept == made) {
            limits_[k].points = points;
            IndexLimitLine(limits_[k]);
            Restart(k);
        }
    }
    emit redrawNeeded();
}

void LimitGroup::Restore(const LimitSettings &saved)
{
    for (size_t k = 0; k < 2; ++k)
        cboKind_[k]->setCurrentIndex(saved.lower[k] ? 1 : 0);
    chkBeep_->setChecked(saved.beep);
    chkCapture_->setChecked(saved.capture);
    chkLog_->setChecked(saved.log);
}

LimitSettings LimitGroup::Saved() const
{
    const LimitAlarms a = Alarms();
    return {{cboKind_[0]->currentIndex() == 1, cboKind_[1]->currentIndex() == 1}, a.beep, a.capture, a.log};
}

LimitAlarms LimitGroup::Alarms() const
{
    return {chkBeep_->isChecked(), chkCapture_->isChecked(), chkLog_->isChecked()};
}

void LimitGroup::Restart(size_t line) { watch_.Restart(line); }

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
        Restart(k);
    }
    emit redrawNeeded();
}

const LimitLines &LimitGroup::View() const
{
    for (size_t k = 0; k < 2; ++k) {
        limits_[k].shown = chkLim_[k]->isChecked();
        limits_[k].selector = ChosenName(k);
        limits_[k].kind = cboKind_[k]->currentIndex() == 1 ? LimitKind::Lower : LimitKind::Upper;
    }
    return limits_;
}

bool LimitGroup::Judged(const std::array<std::optional<LimitVerdict>, 2> &verdicts, std::time_t time)
{
    const LimitActions act = watch_.Judged(verdicts, d_.seconds(), Alarms());
    if (act.beep && d_.beep)
        d_.beep();
    const LimitLines &lines = View();
    for (size_t k = 0; k < 2; ++k) {
        if (!act.log[k] || !chkLog_->isChecked())
            continue;
        const std::string path = JoinPath(WorkingFolder(), kFailureLog);
        std::error_code ignored;
        std::filesystem::create_directories(WorkingFolder(), ignored);
        std::string error;
        const std::string row = FailureLogRow(time, k, lines[k].selector, lines[k].kind, *verdicts[k], d_.state());
        if (!AppendDurably(path, kFailureLogHeading, row, error)) {
            // Said once: the next failure would say it again every minute.
            chkLog_->setChecked(false);
            d_.dialogs.ShowMessage("TavrinRemote", "The limit failure could not be logged: " + error +
                                                       ". The failure log is switched off; switch Log on again "
                                                       "in the Limit group once the Working folder can be written.");
        }
    }
    return act.capture;
}

void LimitGroup::CaptureFailed(const std::string &why)
{
    chkCapture_->setChecked(false);
    d_.dialogs.ShowMessage("TavrinRemote", "The screen of a limit failure could not be saved: " + why +
                                               " Capture on failure is switched off; switch it on again in the "
                                               "Limit group once the capture folder can be written.");
}

}  // namespace tavrin
