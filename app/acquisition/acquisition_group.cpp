#include "acquisition/acquisition_group.h"

#include "widgets/panel_widgets.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace tavrin {

AcquisitionGroup::AcquisitionGroup(QWidget *parent) : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    cmdStart_ = Button(this, "cmdStart", "Start");
    cmdAVG_ = Button(this, "cmdAVG", "AVG  ON");
    QPushButton *cmdFreeze = Button(this, "cmdFreeze", "Freeze");
    for (QPushButton *b : {cmdStart_, cmdAVG_, cmdFreeze})
        row->addWidget(b);
    connect(cmdStart_, &QPushButton::clicked, this, &AcquisitionGroup::startStopClicked);
    connect(cmdAVG_, &QPushButton::clicked, this, &AcquisitionGroup::averagingClicked);
    connect(cmdFreeze, &QPushButton::clicked, this, &AcquisitionGroup::freezeClicked);
    ShowRunning(false);
}

void AcquisitionGroup::ShowRunning(bool running)
{
    cmdStart_->setText(running ? "Stop" : "Start");
    cmdStart_->setStyleSheet(running ? "background-color: rgb(0, 255, 0);" : "background-color: rgb(255, 0, 0);");
    cmdStart_->setToolTip(running ? "Stop To Show Trace" : "Start To Show Trace");
}

void AcquisitionGroup::ShowAveraging(bool on) { cmdAVG_->setText(on ? "AVG OFF" : "AVG  ON"); }

void AcquisitionGroup::FocusStart() { cmdStart_->setFocus(); }

}  // namespace tavrin
