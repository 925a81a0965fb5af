#include "tg/tg_group.h"

#include "measure/panel_widgets.h"
#include "measure/spinner.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavrin {

TGGroup::TGGroup(QWidget *parent) : QWidget(parent)
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    ui_.cmdTGMode = Button(this, "cmdTGMode", "TG Mode");
    outer->addWidget(ui_.cmdTGMode);
    ui_.fraTG = new QGroupBox("TG Function", this);
    ui_.fraTG->setObjectName("fraTG");
    auto *grid = new QGridLayout(ui_.fraTG);
    ui_.txtTGLevel = TextBox(ui_.fraTG, "txtTGLevel", "TG Level", 60);
    ui_.txtTGLevel->setText("-50");
    ui_.updTGLevel = MakeSpinner(ui_.fraTG, "updTGLevel", "TG Level", 1, -59, 0);
    ui_.updTGLevel->SetPosition(-50);
    ui_.txtTGOffset = TextBox(ui_.fraTG, "txtTGOffset", "TG Offset", 60);
    ui_.txtTGOffset->setText("0");
    ui_.updTGOffset = MakeSpinner(ui_.fraTG, "updTGOffset", "TG Offset", 1, -99, 99);
    ui_.cmdTGON = Button(ui_.fraTG, "cmdTGON", "ON");
    ui_.cmdNormal = Button(ui_.fraTG, "cmdNormal", "Normalize");
    AddRow(grid, 0, "Level", ui_.txtTGLevel, ui_.updTGLevel, "(dBm)");
    AddRow(grid, 1, "Offset", ui_.txtTGOffset, ui_.updTGOffset, "(KHz)");
    grid->addWidget(ui_.cmdTGON, 2, 1);
    grid->addWidget(ui_.cmdNormal, 2, 2, 1, 2);
    outer->addWidget(ui_.fraTG);
}

void TGGroup::Load()
{
    tgMode_ = false;
    TGFrameEnable(false);
}

void TGGroup::TGFrameEnable(bool enabled)
{
    for (QWidget *w : std::initializer_list<QWidget *>{ui_.cmdNormal, ui_.cmdTGON, ui_.updTGLevel, ui_.updTGOffset,
                                                       ui_.txtTGLevel, ui_.txtTGOffset})
        w->setEnabled(enabled);
}

}  // namespace tavrin
