#include "acquisition/basic_group.h"

#include "widgets/panel_widgets.h"
#include "widgets/spinner.h"

#include <QComboBox>
#include <QEvent>
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

BasicGroup::BasicGroup(QWidget *parent) : QGroupBox("Basic Funtion", parent)
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
    ui_.txtCenterFreq->installEventFilter(this);
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
    // A click moves the spinner and its caption at once; the session then sends the setting.
    connect(ui_.updSpan, &Spinner::positionChanged, this, [this](int pos) {
        SetText(ui_.cboSpan, SpanCaption(pos));
        ApplyZeroSpanRule();
    });
    connect(ui_.updRefLevel, &Spinner::positionChanged, this,
            [this](int pos) { SetText(ui_.cboRefLevel, RefLevelText(pos)); });
    connect(ui_.updRBW, &Spinner::positionChanged, this, [this](int pos) { SetText(ui_.cboRBW, RbwCaption(pos)); });
    for (Spinner *s : {ui_.updCenterFreq, ui_.updSpan, ui_.updRefLevel, ui_.updRBW}) {
        connect(s, &Spinner::mousePressed, this, [this] { emit adjusting(true); });
        connect(s, &Spinner::releasedOffArrow, this, [this] { emit adjusting(false); });
    }
    connect(ui_.txtCenterFreq, &QLineEdit::returnPressed, this, [this] {
        const std::string typed = Text(ui_.txtCenterFreq);
        ui_.txtCenterFreq->setModified(false);
        emit centerEntered(typed);
    });
    auto step = [this](int direction) {
        ui_.updCenterFreq->SetPosition(0);  // back to rest: every click is one step
        emit centerStepped(direction);
    };
    connect(ui_.updCenterFreq, &Spinner::upClicked, this, [step] { step(1); });
    connect(ui_.updCenterFreq, &Spinner::downClicked, this, [step] { step(-1); });
    const std::pair<Spinner *, void (BasicGroup::*)(int)> rows[] = {{ui_.updSpan, &BasicGroup::spanChosen},
                                                                   {ui_.updRefLevel, &BasicGroup::refLevelChosen},
                                                                   {ui_.updRBW, &BasicGroup::rbwChosen}};
    for (auto [spinner, chosen] : rows) {
        connect(spinner, &Spinner::upClicked, this, [this, s = spinner, chosen] { emit(this->*chosen)(s->Position()); });
        connect(spinner, &Spinner::downClicked, this, [this, s = spinner, chosen] { emit(this->*chosen)(s->Position()); });
    }
}

bool BasicGroup::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui_.txtCenterFreq && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        const bool in = event->type() == QEvent::FocusIn;
        if (!in && ui_.txtCenterFreq->isModified()) {
            // Left without Enter: the field shows the centre the session holds again.
            ui_.txtCenterFreq->setModified(false);
            SetText(ui_.txtCenterFreq, shownCenter_);
        }
        emit centerEditing(in);
    }
    return QGroupBox::eventFilter(watched, event);
}

void BasicGroup::ApplyZeroSpanRule() { ui_.updRBW->setEnabled(IsZeroSpan(Text(ui_.cboSpan))); }

void BasicGroup::Show(const MeasurementState &state)
{
    shownCenter_ = state.centerFreqMHz;
    // What the user is typing stays until Enter (or until the field is left).
    if (!ui_.txtCenterFreq->isModified())
        SetText(ui_.txtCenterFreq, state.centerFreqMHz);
    const std::tuple<Spinner *, QComboBox *, int, const std::string &> rows[] = {
        {ui_.updSpan, ui_.cboSpan, state.spanIndex, state.spanCaption},
        {ui_.updRefLevel, ui_.cboRefLevel, state.refLevelIndex, state.refLevelDbm},
        {ui_.updRBW, ui_.cboRBW, state.rbwIndex, state.rbwCaption}};
    for (const auto &[spinner, box, index, caption] : rows) {
        spinner->SetPosition(index);
        SetText(box, caption);  // a played record may carry a caption of no row
    }
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
    if (enabled == frameEnabled_)
        return;
    frameEnabled_ = enabled;
    for (QWidget *w : std::initializer_list<QWidget *>{ui_.txtCenterFreq, ui_.updCenterFreq, ui_.cboSpan, ui_.updSpan,
                                                       ui_.cboRefLevel, ui_.updRefLevel, ui_.cboRBW, ui_.updRBW})
        w->setEnabled(enabled);
}

}  // namespace tavrin
