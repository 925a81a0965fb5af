#include "acquisition/basic_group.h"

#include "acquisition/acquisition_group.h"
#include "common/number_format.h"
#include "common/rounding.h"
#include "common/text_number.h"
#include "instrument/confirmed_settings.h"
#include "instrument/tavrin_dll.h"
#include "measure/frequency_step.h"
#include "measure/range_rules.h"
#include "settings/operation_file.h"
#include "widgets/panel_widgets.h"
#include "widgets/spinner.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>

namespace tavrin {

namespace {

void FillList(QComboBox *box, const auto &texts)
{
    box->clear();
    for (auto t : texts)
        box->addItem(QString::fromLatin1(t.data(), static_cast<qsizetype>(t.size())));
}

}  // namespace

BasicGroup::BasicGroup(Deps deps, QWidget *parent) : QGroupBox("Basic Funtion", parent), d_(std::move(deps))
{
    setObjectName("fraBasic");
    Build();
    Connect();
}

void BasicGroup::Build()
{
    auto *grid = new QGridLayout(this);
    ui_.txtCenterFreq = TextBox(this, "txtCenterFreq", "Center Frequency", 90);
    ui_.txtCenterFreq->setToolTip("Center Frequency");
    ui_.txtCenterFreq->setText("80.000");
    ui_.updCenterFreq = MakeSpinner(this, "updCenterFreq", "Center Frequency", 1000, -1100000, 1100000);
    ui_.cboSpan = CaptionBox(this, "cboSpan", "Span");
    ui_.updSpan = MakeSpinner(this, "updSpan", "Span", 1, 0, 15);
    ui_.cboRefLevel = CaptionBox(this, "cboRefLevel", "Reference Level");
    ui_.updRefLevel = MakeSpinner(this, "updRefLevel", "Reference Level", 1, 0, 5);
    ui_.cboRBW = CaptionBox(this, "cboRBW", "RBW");
    ui_.updRBW = MakeSpinner(this, "updRBW", "RBW", 1, 0, 3);
    AddRow(grid, 0, "CENTER", ui_.txtCenterFreq, ui_.updCenterFreq, "MHz");
    AddRow(grid, 1, "SPAN", ui_.cboSpan, ui_.updSpan);
    AddRow(grid, 2, "REF LVL", ui_.cboRefLevel, ui_.updRefLevel, "dBm");
    AddRow(grid, 3, "RBW", ui_.cboRBW, ui_.updRBW);
}

void BasicGroup::Connect()
{
    connect(ui_.updSpan, &Spinner::positionChanged, this, [this](int pos) {
        SetText(ui_.cboSpan, SpanCaption(pos));
        ApplyZeroSpanRule();
    });
    connect(ui_.updRefLevel, &Spinner::positionChanged, this,
            [this](int pos) { SetText(ui_.cboRefLevel, RefLevelText(pos)); });
    connect(ui_.updRBW, &Spinner::positionChanged, this, [this](int pos) { SetText(ui_.cboRBW, RbwCaption(pos)); });
    for (Spinner *s : {ui_.updCenterFreq, ui_.updSpan, ui_.updRefLevel, ui_.updRBW}) {
        connect(s, &Spinner::mousePressed, this, [this] { userAdjusting_ = true; });
        // Released beside the arrow: no apply follows to end the adjustment.
        connect(s, &Spinner::releasedOffArrow, this, [this] { userAdjusting_ = false; });
    }
    connect(ui_.txtCenterFreq, &QLineEdit::returnPressed, this, &BasicGroup::CenterFreqEntered);
    connect(ui_.updCenterFreq, &Spinner::positionChanged, this, [this](int pos) {
        if (auto moved = StepFrequencyText(Text(ui_.txtCenterFreq), pos, d_.settings.FreqStepMHz))
            SetText(ui_.txtCenterFreq, *moved);
    });
    const std::pair<Spinner *, void (BasicGroup::*)()> applies[] = {{ui_.updCenterFreq, &BasicGroup::ApplyCenterFreq},
                                                                    {ui_.updSpan, &BasicGroup::ApplySpan},
                                                                    {ui_.updRefLevel, &BasicGroup::ApplyRefLevel},
                                                                    {ui_.updRBW, &BasicGroup::ApplyRBW}};
    for (auto [spinner, apply] : applies) {
        connect(spinner, &Spinner::upClicked, this, apply);
        connect(spinner, &Spinner::downClicked, this, apply);
    }
}

void BasicGroup::ApplyZeroSpanRule() { ui_.updRBW->setEnabled(IsZeroSpan(Text(ui_.cboSpan))); }

void BasicGroup::RestoreSaved(OperationFile &op)
{
    auto restore = [](std::string &saved) {
        saved = TrimSpaces(saved);
        return !saved.empty();
    };
    if (restore(op.SavedCenterFreq))
        SetText(ui_.txtCenterFreq, op.SavedCenterFreq);
    // The spinners stand on the rows the captions name, so the first click moves from there.
    const int refRow = restore(op.SavedRefLevel) ? RefLevelToIndex(RoundHalfEvenToInt32(NumericValue(op.SavedRefLevel)))
                                                 : 3;
    ui_.updRefLevel->SetPosition(refRow);
    SetText(ui_.cboRefLevel, RefLevelText(refRow));
    const int spanRow = restore(op.SavedSpan) ? SpanToIndex(op.SavedSpan) : 12;
    ui_.updSpan->SetPosition(spanRow);
    SetText(ui_.cboSpan, SpanCaption(spanRow));
    const int rbwRow = restore(op.SavedRbw) ? RBWToIndex(op.SavedRbw) : 0;
    ui_.updRBW->SetPosition(rbwRow);
    SetText(ui_.cboRBW, RbwCaption(rbwRow));
    ApplyZeroSpanRule();
    userAdjusting_ = false;
}

void BasicGroup::SaveTexts(OperationFile &op) const
{
    op.SavedCenterFreq = Text(ui_.txtCenterFreq);
    op.SavedRefLevel = Text(ui_.cboRefLevel);
    op.SavedSpan = Text(ui_.cboSpan);
    op.SavedRbw = Text(ui_.cboRBW);
}

void BasicGroup::FillLists()
{
    FillList(ui_.cboRefLevel, kRefLevelTexts);
    FillList(ui_.cboSpan, kSpanCaptions);
    FillList(ui_.cboRBW, kRbwCaptions);
    // Filling a list must not change what the boxes show.
    SetText(ui_.cboRefLevel, RefLevelText(ui_.updRefLevel->Position()));
    SetText(ui_.cboSpan, SpanCaption(ui_.updSpan->Position()));
    SetText(ui_.cboRBW, RbwCaption(ui_.updRBW->Position()));
}

void BasicGroup::SetLightGrey()
{
    ui_.txtCenterFreq->setStyleSheet(kLightGrey);
    for (QComboBox *c : {ui_.cboSpan, ui_.cboRefLevel, ui_.cboRBW})
        c->lineEdit()->setStyleSheet(kLightGrey);
}

void BasicGroup::BasicFrameEnable(bool enabled)
{
    for (QWidget *w : std::initializer_list<QWidget *>{ui_.txtCenterFreq, ui_.updCenterFreq, ui_.cboSpan, ui_.updSpan,
                                                       ui_.cboRefLevel, ui_.updRefLevel, ui_.cboRBW, ui_.updRBW})
        w->setEnabled(enabled);
}

void BasicGroup::FollowReport()
{
    if (userAdjusting_)
        return;
    const ReportedSettings reported{d_.instrument.BlockCenterFreq(), d_.instrument.BlockSpan(),
                                    d_.instrument.BlockRefLevel(), d_.instrument.BlockRBW()};
    ShowMeasureSetting(reported, State(), *this);
}

const MeasurementState &BasicGroup::State() const
{
    state_.centerFreqMHz = Text(ui_.txtCenterFreq);
    state_.spanIndex = ui_.updSpan->Position();
    state_.spanCaption = Text(ui_.cboSpan);
    state_.refLevelIndex = ui_.updRefLevel->Position();
    state_.refLevelDbm = Text(ui_.cboRefLevel);
    state_.rbwIndex = ui_.updRBW->Position();
    state_.rbwCaption = Text(ui_.cboRBW);
    state_.unit = d_.settings.Unit;
    return state_;
}

void BasicGroup::Confirmed(const std::function<Confirmation()> &sendAndConfirm)
{
    d_.acquisition.HoldTimer();
    lastApplyReads_ = sendAndConfirm().reads;
    d_.acquisition.ResumeTimer();
}

void BasicGroup::CenterFreqEntered()
{
    SetText(ui_.txtCenterFreq, NormalizeFrequencyText(Text(ui_.txtCenterFreq)));
    ApplyCenterFreq();
    emit centerFreqEntered();
}

void BasicGroup::ApplyCenterFreq()
{
    BusyPointer busy;
    lastApplyReads_ = 0;
    // A centre outside the analyzer's range cannot be fitted by any span: it is brought to the
    // nearest end (only zero span then fits), rather than sent as typed.
    const double typed = NumericValue(Text(ui_.txtCenterFreq));
    if (CenterInRange(typed) != typed)
        SetText(ui_.txtCenterFreq, FormatFixed(CenterInRange(typed), 3, 3));
    const double c = NumericValue(Text(ui_.txtCenterFreq));
    if (!WindowFits(c, Text(ui_.cboSpan))) {
        d_.acquisition.HoldTimer();
        ui_.updSpan->SetPosition(SpanRowThatFits(c, ui_.updSpan->Position()));
        d_.instrument.SendSpan(TrimSpaces(Text(ui_.cboSpan)));
        d_.instrument.Pause(kConfirmPauseMs);
        d_.acquisition.ResumeTimer();
    }
    if (d_.acquisition.Running())
        Confirmed([&] { return SendCenterFreqConfirmed(d_.instrument, c); });
    userAdjusting_ = false;
    ui_.updCenterFreq->SetPosition(0);
}

void BasicGroup::ApplySpan()
{
    BusyPointer busy;
    lastApplyReads_ = 0;
    const std::string caption = Text(ui_.cboSpan);
    if (const std::optional<double> moved = CenterThatFits(NumericValue(Text(ui_.txtCenterFreq)), caption)) {
        SetText(ui_.txtCenterFreq, FormatFixed(*moved, 3, 3));
        d_.acquisition.HoldTimer();
        d_.instrument.SendCenterFreq(NumericValue(Text(ui_.txtCenterFreq)));
        d_.instrument.Pause(kConfirmPauseMs);
        d_.acquisition.ResumeTimer();
    }
    if (d_.acquisition.Running())
        Confirmed([&] { return SendSpanConfirmed(d_.instrument, caption); });
    userAdjusting_ = false;
}

void BasicGroup::ApplyRefLevel()
{
    BusyPointer busy;
    lastApplyReads_ = 0;
    if (d_.acquisition.Running())
        Confirmed([&] { return SendRefLevelConfirmed(d_.instrument, NumericValue(Text(ui_.cboRefLevel))); });
    userAdjusting_ = false;
}

void BasicGroup::ApplyRBW()
{
    BusyPointer busy;
    lastApplyReads_ = 0;
    if (IsZeroSpan(Text(ui_.cboSpan)) && d_.acquisition.Running())
        Confirmed([&] { return SendRBWConfirmed(d_.instrument, Text(ui_.cboRBW)); });
    userAdjusting_ = false;
}

bool BasicGroup::CenterFreqHasFocus() const { return ui_.txtCenterFreq->hasFocus(); }
void BasicGroup::SetCenterFreqText(const std::string &text) { SetText(ui_.txtCenterFreq, text); }
void BasicGroup::SetRefLevelPosition(int index) { ui_.updRefLevel->SetPosition(index); }
void BasicGroup::SetSpanPosition(int index) { ui_.updSpan->SetPosition(index); }
void BasicGroup::SetRbwPosition(int index) { ui_.updRBW->SetPosition(index); }

void BasicGroup::ShowRecorded(double centerMHz, const std::string &spanCaption, int refLevelDbm,
                              const std::string &rbwCaption)
{
    SetRefLevelPosition(RefLevelToIndex(refLevelDbm));
    SetSpanPosition(SpanToIndex(spanCaption));
    SetRbwPosition(RBWToIndex(rbwCaption));
    SetCenterFreqText(PlainDecimal(centerMHz));
    SetText(ui_.cboSpan, spanCaption);
    SetText(ui_.cboRefLevel, std::to_string(refLevelDbm));
    SetText(ui_.cboRBW, rbwCaption);
}

}  // namespace tavrin
