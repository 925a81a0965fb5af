#include "tg/tg_group.h"

#include "acquisition/acquisition_group.h"
#include "common/text_number.h"
#include "instrument/tavrin_dll.h"
#include "widgets/panel_widgets.h"
#include "widgets/spinner.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace tavrin {

TGGroup::TGGroup(Deps deps, QWidget *parent) : QWidget(parent), d_(std::move(deps))
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    ui_.cmdTGMode = Button(this, "cmdTGMode", "TG Mode");
    outer->addWidget(ui_.cmdTGMode);
    auto *fraTG = new QGroupBox("TG Function", this);
    fraTG->setObjectName("fraTG");
    auto *grid = new QGridLayout(fraTG);
    ui_.txtTGLevel = TextBox(fraTG, "txtTGLevel", "TG Level", 60);
    ui_.txtTGLevel->setText(QString::number(kTGDefaultLevel));
    ui_.updTGLevel = MakeSpinner(fraTG, "updTGLevel", "TG Level", 1, kLevelLowest, kLevelHighest);
    ui_.updTGLevel->SetPosition(kTGDefaultLevel);
    ui_.txtTGOffset = TextBox(fraTG, "txtTGOffset", "TG Offset", 60);
    ui_.txtTGOffset->setText("0");
    ui_.updTGOffset = MakeSpinner(fraTG, "updTGOffset", "TG Offset", 1, kOffsetLowest, kOffsetHighest);
    ui_.cmdTGON = Button(fraTG, "cmdTGON", "ON");
    ui_.cmdNormal = Button(fraTG, "cmdNormal", "Normalize");
    AddRow(grid, 0, "Level", ui_.txtTGLevel, ui_.updTGLevel, "(dBm)");
    AddRow(grid, 1, "Offset", ui_.txtTGOffset, ui_.updTGOffset, "(KHz)");
    grid->addWidget(ui_.cmdTGON, 2, 1);
    grid->addWidget(ui_.cmdNormal, 2, 2, 1, 2);
    outer->addWidget(fraTG);

    connect(ui_.cmdTGMode, &QPushButton::clicked, this, &TGGroup::cmdTGMode_Click);
    connect(ui_.cmdTGON, &QPushButton::clicked, this, &TGGroup::cmdTGON_Click);
    connect(ui_.cmdNormal, &QPushButton::clicked, this, &TGGroup::cmdNormal_Click);
    connect(ui_.txtTGLevel, &QLineEdit::returnPressed, this, &TGGroup::txtTGLevel_Enter);
    connect(ui_.txtTGOffset, &QLineEdit::returnPressed, this, &TGGroup::txtTGOffset_Enter);
    connect(ui_.updTGLevel, &Spinner::positionChanged, this,
            [this](int pos) { ui_.txtTGLevel->setText(QString::number(pos)); });
    connect(ui_.updTGOffset, &Spinner::positionChanged, this,
            [this](int pos) { ui_.txtTGOffset->setText(QString::number(pos)); });
    // Every release of a spinner sends, whether or not it moved the position.
    for (Spinner *s : {ui_.updTGLevel, ui_.updTGOffset})
        for (auto released : {&Spinner::upClicked, &Spinner::downClicked, &Spinner::releasedOffArrow})
            connect(s, released, this, &TGGroup::SendTGSettings);
}

void TGGroup::Load() { ShowAnalyzerMode(); }

void TGGroup::ShowAnalyzerMode()
{
    tgMode_ = false;
    tgOn_ = false;
    ui_.cmdTGMode->setText("TG Mode");
    ui_.cmdTGON->setText("ON");
    TGFrameEnable(false);
}

void TGGroup::SendAll()
{
    const int16_t level = Level(), offset = Offset();
    SendTGCommands(d_.instrument, tgOn_, level, offset);
}

void TGGroup::TGFrameEnable(bool enabled)
{
    for (QWidget *w : std::initializer_list<QWidget *>{ui_.cmdNormal, ui_.cmdTGON, ui_.updTGLevel, ui_.updTGOffset,
                                                       ui_.txtTGLevel, ui_.txtTGOffset})
        w->setEnabled(enabled);
}

void TGGroup::Act(std::function<void()> action)
{
    if (acting_) {
        pending_.push_back(std::move(action));
        return;
    }
    acting_ = true;
    BusyPointer busy;
    d_.acquisition.HoldTimer();
    action();
    while (!pending_.empty()) {
        auto next = std::move(pending_.front());
        pending_.erase(pending_.begin());
        next();
    }
    d_.acquisition.ResumeTimer();
    acting_ = false;
}

// The entry as it is sent: a text typed without Enter is normalised first, since the library
// takes only the magnitude of a level and would turn +5 dBm into -5 dBm.
int16_t TGGroup::Level()
{
    NormalizeEntry(ui_.txtTGLevel, ui_.updTGLevel, kLevelLowest, kLevelHighest);
    return static_cast<int16_t>(NumericValue(Text(ui_.txtTGLevel)));
}

int16_t TGGroup::Offset()
{
    NormalizeEntry(ui_.txtTGOffset, ui_.updTGOffset, kOffsetLowest, kOffsetHighest);
    return static_cast<int16_t>(NumericValue(Text(ui_.txtTGOffset)));
}

void TGGroup::NormalizeEntry(QLineEdit *field, Spinner *spinner, int lowest, int highest)
{
    const std::string text = NormalizeTGText(Text(field), lowest, highest);
    SetText(field, text);
    spinner->SetPosition(std::stoi(text));
}

void TGGroup::cmdTGMode_Click()
{
    Act([this] {
        tgMode_ = !tgMode_;
        if (tgMode_) {
            ui_.cmdTGMode->setText("SA  Mode");
            d_.instrument.SendStartTG();
            TGFrameEnable(true);
            emit tgModeChanged(true);
        } else {
            LeaveTGMode(d_.instrument);
            ShowAnalyzerMode();
            emit tgModeChanged(false);
        }
    });
}

void TGGroup::cmdTGON_Click()
{
    Act([this] {
        tgOn_ = !tgOn_;
        if (tgOn_) {
            ui_.cmdTGON->setText("OFF");
            SendAll();
        } else {
            ui_.cmdTGON->setText("ON");
            d_.instrument.SendTGOnOff(false);
        }
    });
}

void TGGroup::cmdNormal_Click()
{
    if (!tgOn_)
        return;
    Act([this] {
        // The output may have gone off while an earlier action waited.
        if (tgOn_)
            d_.instrument.SendNormalizeTG();
    });
}

void TGGroup::txtTGLevel_Enter()
{
    NormalizeEntry(ui_.txtTGLevel, ui_.updTGLevel, kLevelLowest, kLevelHighest);
    SendTGSettings();
}

void TGGroup::txtTGOffset_Enter()
{
    NormalizeEntry(ui_.txtTGOffset, ui_.updTGOffset, kOffsetLowest, kOffsetHighest);
    SendTGSettings();
}

void TGGroup::SendTGSettings()
{
    Act([this] {
        if (tgMode_)
            SendAll();
    });
}

}  // namespace tavrin
