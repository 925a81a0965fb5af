#include "tg/tg_group.h"

#include "widgets/panel_widgets.h"
#include "widgets/spinner.h"

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
    auto *fraTG = new QGroupBox("TG Function", this);
    fraTG->setObjectName("fraTG");
    auto *grid = new QGridLayout(fraTG);
    ui_.txtTGLevel = TextBox(fraTG, "txtTGLevel", "TG Level", 60);
    ui_.updTGLevel = MakeSpinner(fraTG, "updTGLevel", "TG Level", 1, kLevelLowest, kLevelHighest);
    ui_.txtTGOffset = TextBox(fraTG, "txtTGOffset", "TG Offset", 60);
    ui_.updTGOffset = MakeSpinner(fraTG, "updTGOffset", "TG Offset", 1, kOffsetLowest, kOffsetHighest);
    ui_.cmdTGON = Button(fraTG, "cmdTGON", "ON");
    ui_.cmdNormal = Button(fraTG, "cmdNormal", "Normalize");
    AddRow(grid, 0, "Level", ui_.txtTGLevel, ui_.updTGLevel, "(dBm)");
    AddRow(grid, 1, "Offset", ui_.txtTGOffset, ui_.updTGOffset, "(KHz)");
    grid->addWidget(ui_.cmdTGON, 2, 1);
    grid->addWidget(ui_.cmdNormal, 2, 2, 1, 2);
    outer->addWidget(fraTG);

    connect(ui_.cmdTGMode, &QPushButton::clicked, this, &TGGroup::modeClicked);
    connect(ui_.cmdTGON, &QPushButton::clicked, this, [this] {
        Entries();
        emit outputClicked();
    });
    connect(ui_.cmdNormal, &QPushButton::clicked, this, &TGGroup::normalizeClicked);
    for (QLineEdit *field : {ui_.txtTGLevel, ui_.txtTGOffset})
        connect(field, &QLineEdit::returnPressed, this, [this] {
            Entries();
            emit settingsWanted();
        });
    // A spinner shows its position in its field at once; its release sends, moved or not.
    connect(ui_.updTGLevel, &Spinner::positionChanged, this,
            [this](int pos) { ui_.txtTGLevel->setText(QString::number(pos)); });
    connect(ui_.updTGOffset, &Spinner::positionChanged, this,
            [this](int pos) { ui_.txtTGOffset->setText(QString::number(pos)); });
    for (Spinner *s : {ui_.updTGLevel, ui_.updTGOffset})
        for (auto released : {&Spinner::upClicked, &Spinner::downClicked, &Spinner::releasedOffArrow})
            connect(s, released, this, [this] {
                Entries();
                emit settingsWanted();
            });
    Show(false, false, kTGDefaultLevel, 0);
}

void TGGroup::Entries()
{
    // Both read first: the session shows what it took of the first before the second is read.
    const std::string level = Text(ui_.txtTGLevel), offset = Text(ui_.txtTGOffset);
    emit levelEntered(level);
    emit offsetEntered(offset);
}

void TGGroup::Show(bool mode, bool output, int level, int offset)
{
    ui_.cmdTGMode->setText(mode ? "SA  Mode" : "TG Mode");
    ui_.cmdTGON->setText(output ? "OFF" : "ON");
    ui_.updTGLevel->SetPosition(level);
    ui_.txtTGLevel->setText(QString::number(level));
    ui_.updTGOffset->SetPosition(offset);
    ui_.txtTGOffset->setText(QString::number(offset));
    TGFrameEnable(mode);
}

void TGGroup::TGFrameEnable(bool enabled)
{
    for (QWidget *w : std::initializer_list<QWidget *>{ui_.cmdNormal, ui_.cmdTGON, ui_.updTGLevel, ui_.updTGOffset,
                                                       ui_.txtTGLevel, ui_.txtTGOffset})
        w->setEnabled(enabled);
}

}  // namespace tavrin
