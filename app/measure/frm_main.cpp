#include "measure/frm_main.h"

#include "common/number_format.h"
#include "common/program_folder.h"
#include "common/rounding.h"
#include "common/text_number.h"
#include "markers/limit_file.h"
#include "markers/peak.h"
#include "measure/frequency_step.h"
#include "measure/frm_crt.h"
#include "measure/screen_conversions.h"
#include "measure/spinner.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include <chrono>

namespace tavrin {

namespace {

// The busy mouse pointer for the life of a handler.
struct BusyPointer {
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
};

std::string Text(const QLineEdit *e) { return e->text().toStdString(); }
std::string Text(const QComboBox *c) { return c->currentText().toStdString(); }
void SetText(QComboBox *c, const std::string &t) { c->setEditText(QString::fromStdString(t)); }

void LetEventsRun() { QCoreApplication::processEvents(); }

constexpr char kLightGrey[] = "background-color: rgb(238, 238, 238);";

}  // namespace

bool SerialNumberAnswers(const std::string &serialText) { return serialText.compare("99999") < 0; }

FrmMain::FrmMain(Services services, QWidget *parent) : QWidget(parent), s_(std::move(services))
{
    setWindowTitle("Control Panel");
    BuildControls();
    ConnectControls();
    timer1_.setInterval(kTickMs);
    connect(&timer1_, &QTimer::timeout, this, &FrmMain::Timer1_Timer);
    s_.display.SetDrawer([this](DrawingSurface &surface) { DrawScreen(surface); });
    s_.display.SetDropHandler([this](int index, double x) { LabelDropped(index, x); });
}

FrmMain::~FrmMain()
{
    s_.display.SetDrawer({});
    s_.display.SetDropHandler({});
}

void FrmMain::ConnectControls()
{
    connect(ui_.cmdStart, &QPushButton::clicked, this, &FrmMain::cmdStart_Click);
    connect(ui_.cmdAVG, &QPushButton::clicked, this, &FrmMain::cmdAVG_Click);
    connect(ui_.cmdFreeze, &QPushButton::clicked, this, &FrmMain::cmdFreeze_Click);
    connect(ui_.cmdQuit, &QPushButton::clicked, this, &FrmMain::cmdQuit_Click);

    // Position changes show the row's caption; the RBW can be chosen at zero span only.
    connect(ui_.updSpan, &Spinner::positionChanged, this, [this](int pos) {
        SetText(ui_.cboSpan, SpanCaption(pos));
        ui_.updRBW->setEnabled(TrimSpaces(Text(ui_.cboSpan)) == "0HZ/DIV");
    });
    connect(ui_.updRefLevel, &Spinner::positionChanged, this,
            [this](int pos) { SetText(ui_.cboRefLevel, RefLevelText(pos)); });
    connect(ui_.updRBW, &Spinner::positionChanged, this, [this](int pos) { SetText(ui_.cboRBW, RbwCaption(pos)); });
    for (Spinner *s : {ui_.updCenterFreq, ui_.updSpan, ui_.updRefLevel, ui_.updRBW})
        connect(s, &Spinner::mousePressed, this, [this] { userAdjusting_ = true; });

    connect(ui_.txtCenterFreq, &QLineEdit::returnPressed, this, &FrmMain::CenterFreqEntered);
    connect(ui_.updCenterFreq, &Spinner::positionChanged, this, [this](int pos) {
        if (auto moved = StepFrequencyText(Text(ui_.txtCenterFreq), pos, s_.settings.FreqStepMHz))
            ui_.txtCenterFreq->setText(QString::fromStdString(*moved));
    });
    const std::pair<Spinner *, void (FrmMain::*)()> applies[] = {{ui_.updCenterFreq, &FrmMain::ApplyCenterFreq},
                                                                 {ui_.updSpan, &FrmMain::ApplySpan},
                                                                 {ui_.updRefLevel, &FrmMain::ApplyRefLevel},
                                                                 {ui_.updRBW, &FrmMain::ApplyRBW}};
    for (auto [spinner, apply] : applies) {
        connect(spinner, &Spinner::upClicked, this, apply);
        connect(spinner, &Spinner::downClicked, this, apply);
    }

    // Markers: every change redraws over the picture; a spinner click moves one step and the
    // spinner goes back to rest.
    for (int i = 0; i < kMarkerCount; ++i) {
        const auto n = static_cast<size_t>(i);
        connect(ui_.chkMKR[n], &QCheckBox::clicked, this, [this] { s_.display.DrawOver(); });
        connect(ui_.cboMKR[n], &QComboBox::activated, this, [this] { s_.display.DrawOver(); });
        connect(ui_.txtMKR[n], &QLineEdit::editingFinished, this, [this] { s_.display.DrawOver(); });
        connect(ui_.updMKR[n], &Spinner::positionChanged, this, [this, i](int pos) { MarkerStep(i, pos); });
        connect(ui_.updMKR[n], &Spinner::upClicked, this, [this, n] { ui_.updMKR[n]->SetPosition(0); });
        connect(ui_.updMKR[n], &Spinner::downClicked, this, [this, n] { ui_.updMKR[n]->SetPosition(0); });
    }
    connect(ui_.cmdPeak, &QPushButton::clicked, this, &FrmMain::cmdPeak_Click);
    for (int k = 0; k < 2; ++k) {
        connect(ui_.chkLim[static_cast<size_t>(k)], &QCheckBox::clicked, this, [this] { RedrawDisplay(); });
        connect(ui_.cboLim[static_cast<size_t>(k)], &QComboBox::activated, this, [this, k] { LimitChosen(k); });
    }
}

const MeasurementState &FrmMain::State()
{
    state_.centerFreqMHz = Text(ui_.txtCenterFreq);
    state_.spanIndex = ui_.updSpan->Position();
    state_.spanCaption = Text(ui_.cboSpan);
    state_.refLevelIndex = ui_.updRefLevel->Position();
    state_.refLevelDbm = Text(ui_.cboRefLevel);
    state_.rbwIndex = ui_.updRBW->Position();
    state_.rbwCaption = Text(ui_.cboRBW);
    state_.unit = s_.settings.Unit;
    return state_;
}

void FrmMain::FormLoad()
{
    live_.fill(0);
    play_.fill(0);
    limits_ = InitialLimitLines();

    OperationFile &op = s_.settings;
    op = DefaultOperation();
    const LoadResult loaded = LoadOperation(s_.operationFilePath, op);
    if (loaded.status == LoadStatus::Unreadable)
        s_.dialogs.ShowMessage("TavrinRemote", "The settings file " + s_.operationFilePath +
                                                   " could not be read (" + loaded.error +
                                                   "); the program starts with its default settings.");
    else if (loaded.clamped.Any())
        s_.dialogs.ShowMessage("TavrinRemote", "Some settings in " + s_.operationFilePath +
                                                   " were out of range and have been brought into range.");

    // Restored texts; the spinners are put on the rows the captions name, so the first click
    // moves from there.
    auto restore = [](std::string &saved) {
        saved = TrimSpaces(saved);
        return !saved.empty();
    };
    if (restore(op.SavedCenterFreq))
        ui_.txtCenterFreq->setText(QString::fromStdString(op.SavedCenterFreq));
    else if (ui_.txtCenterFreq->text().isEmpty())
        ui_.txtCenterFreq->setText("80.000");
    const int refRow = restore(op.SavedRefLevel) ? RefLevelToIndex(static_cast<int>(NumericValue(op.SavedRefLevel))) : 3;
    ui_.updRefLevel->SetPosition(refRow);
    SetText(ui_.cboRefLevel, RefLevelText(refRow));
    const int spanRow = restore(op.SavedSpan) ? SpanToIndex(op.SavedSpan) : 12;
    ui_.updSpan->SetPosition(spanRow);
    SetText(ui_.cboSpan, SpanCaption(spanRow));
    const int rbwRow = restore(op.SavedRbw) ? RBWToIndex(op.SavedRbw) : 0;
    ui_.updRBW->SetPosition(rbwRow);
    SetText(ui_.cboRBW, RbwCaption(rbwRow));
    ui_.updRBW->setEnabled(TrimSpaces(Text(ui_.cboSpan)) == "0HZ/DIV");

    op.CaptureDir = TrimSpaces(op.CaptureDir);
    if (op.CaptureDir.empty())
        op.CaptureDir = ProgramFolder();
    for (size_t i = 0; i < kMarkerCount; ++i)
        ui_.txtMKR[i]->setText(QString::fromStdString(TrimSpaces(op.SavedMarkers[i])));

    traceDrawColor_ = op.Colors.Trace;
    setStyleSheet(QString("FrmMain { %1 }").arg(kLightGrey));
    setAttribute(Qt::WA_StyledBackground);
    ui_.txtCenterFreq->setStyleSheet(kLightGrey);
    for (QComboBox *c : {ui_.cboSpan, ui_.cboRefLevel, ui_.cboRBW})
        c->lineEdit()->setStyleSheet(kLightGrey);

    running_ = userAdjusting_ = false;
    ui_.cmdSaveRecord->setEnabled(false);
    ui_.cmdPlayRecord->setEnabled(false);

    s_.display.SetBaseColor(op.Colors.Base);
    s_.display.MakeLabels(op.Colors.Background, op.Colors.Marker);
    s_.display.SetDrawer([this](DrawingSurface &surface) { DrawGrid(surface, MakeViewFor()); });
    s_.display.Redraw();
    s_.display.SetDrawer([this](DrawingSurface &surface) { DrawScreen(surface); });
    LetEventsRun();

    TGFrameEnable(false);
    activated_ = false;
    loaded_ = true;
    SetStartButton(false);
}

void FrmMain::FormActivate()
{
    if (activated_ || !loaded_)
        return;
    BusyPointer busy;
    LetEventsRun();
    LetEventsRun();
    ui_.cboRefLevel->clear();
    for (auto t : kRefLevelTexts)
        ui_.cboRefLevel->addItem(QString::fromUtf8(t.data(), static_cast<int>(t.size())));
    ui_.cboSpan->clear();
    for (auto t : kSpanCaptions)
        ui_.cboSpan->addItem(QString::fromUtf8(t.data(), static_cast<int>(t.size())));
    ui_.cboRBW->clear();
    for (auto t : kRbwCaptions)
        ui_.cboRBW->addItem(QString::fromUtf8(t.data(), static_cast<int>(t.size())));
    // Filling a list must not change what the boxes show.
    SetText(ui_.cboRefLevel, RefLevelText(ui_.updRefLevel->Position()));
    SetText(ui_.cboSpan, SpanCaption(ui_.updSpan->Position()));
    SetText(ui_.cboRBW, RbwCaption(ui_.updRBW->Position()));

    for (QComboBox *c : ui_.cboMKR) {
        c->clear();
        c->addItems({"NONE", "1", "2", "3", "4", "5"});
        c->setCurrentIndex(0);
    }
    RefreshLimitSelector();
    ui_.cmdStart->setFocus();
    activated_ = true;

    const int port = s_.settings.ComPortSetting;
    if (s_.portInUse && s_.portInUse(port))
        s_.dialogs.ShowMessage(QCoreApplication::applicationName().toStdString(),
                               "Communication port " + std::to_string(port) + " is used for another application.");
    else
        s_.instrument.SelectComPort(static_cast<int16_t>(port));
}

void FrmMain::SetStartButton(bool running)
{
    if (running) {
        ui_.cmdStart->setText("Stop");
        ui_.cmdStart->setStyleSheet("background-color: rgb(0, 255, 0);");
        ui_.cmdStart->setToolTip("Stop To Show Trace");
    } else {
        ui_.cmdStart->setText("Start");
        ui_.cmdStart->setStyleSheet("background-color: rgb(255, 0, 0);");
        ui_.cmdStart->setToolTip("Start To Show Trace");
    }
}

void FrmMain::cmdStart_Click()
{
    BusyPointer busy;
    // The link check comes first: a fetch from a silent line would hold the program for the
    // library's full read time-outs before the user learns that nothing answers.
    linkOk_ = SerialNumberAnswers(s_.instrument.SerialNumText());
    if (!linkOk_) {
        s_.dialogs.ShowMessage("Warring", "Communication Error!");
        return;
    }
    s_.instrument.FetchTrace(1);
    s_.instrument.FetchTrace(1);
    ShowMeasureSetting(Reported(), State(), *this);
    RedrawDisplay();

    running_ = !running_;
    if (running_) {
        traceDrawColor_ = s_.settings.Colors.Trace;
        timer1_.start(kTickMs);
    } else {
        timer1_.stop();
    }
    SetStartButton(running_);
}

ReportedSettings FrmMain::Reported()
{
    ReportedSettings r;
    r.centerMHz = s_.instrument.BlockCenterFreq();
    r.spanCaption = s_.instrument.BlockSpan();
    r.refLevelDbm = s_.instrument.BlockRefLevel();
    r.rbwCaption = s_.instrument.BlockRBW();
    return r;
}

void FrmMain::Timer1_Timer()
{
    // FetchTrace serves window events while it waits, and a QTimer can fire inside it.
    if (inTick_)
        return;
    inTick_ = true;
    // Ticks start at least 100 ms apart, and back to back when a tick takes longer (it always
    // does: one trace transfer alone takes longer).
    const auto started = std::chrono::steady_clock::now();
    struct Leave {
        FrmMain &panel;
        std::chrono::steady_clock::time_point started;
        ~Leave()
        {
            panel.inTick_ = false;
            if (panel.timer1_.isActive()) {
                const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now() - started).count();
                panel.timer1_.start(static_cast<int>(std::max<long long>(0, kTickMs - took)));
            }
        }
    } leave{*this, started};

    if (!s_.instrument.FetchTrace(1)) {
        if (s_.instrument.LastFetchSilent())
            StopOnLostLink();
        return;  // the last trace stays on screen
    }
    const LiveTrace &points = s_.instrument.Trace().points;
    if (averagingOn_)
        average_.Add(points, live_);
    else
        live_ = points;
    if (!userAdjusting_)
        ShowMeasureSetting(Reported(), State(), *this);
    RedrawDisplay();
    LetEventsRun();
}

void FrmMain::StopOnLostLink()
{
    // The instrument stopped answering (cable pulled, instrument off): stop asking, or every
    // tick would hold the program for the line's time-outs.
    if (!running_)
        return;
    running_ = false;
    linkOk_ = false;
    timer1_.stop();
    SetStartButton(false);
    s_.dialogs.ShowMessage("Warring", "Communication Error!");
}

void FrmMain::cmdAVG_Click()
{
    BusyPointer busy;
    averagingOn_ = !averagingOn_;
    if (averagingOn_) {
        ui_.cmdAVG->setText("AVG OFF");
        average_.Restart(s_.settings.AverageCount);
    } else {
        ui_.cmdAVG->setText("AVG  ON");
    }
}

void FrmMain::cmdFreeze_Click()
{
    BusyPointer busy;
    timer1_.stop();
    if (averagingOn_)
        cmdAVG_Click();
    if (running_)
        cmdStart_Click();
    traceDrawColor_ = s_.settings.Colors.Trace;
    Timer1_Timer();
}

bool FrmMain::SaveSettings()
{
    OperationFile &op = s_.settings;
    op.SavedCenterFreq = Text(ui_.txtCenterFreq);
    op.SavedRefLevel = Text(ui_.cboRefLevel);
    op.SavedSpan = Text(ui_.cboSpan);
    op.SavedRbw = Text(ui_.cboRBW);
    for (size_t i = 0; i < kMarkerCount; ++i)
        op.SavedMarkers[i] = Text(ui_.txtMKR[i]);
    std::string error;
    if (SaveOperation(s_.operationFilePath, op, &error))
        return true;
    s_.dialogs.ShowMessage("TavrinRemote", "The settings could not be saved to " + s_.operationFilePath + ": " + error);
    return false;
}

void FrmMain::cmdQuit_Click()
{
    quitting_ = true;
    timer1_.stop();
    SaveSettings();
    if (s_.quit)
        s_.quit();
}

void FrmMain::FormUnload()
{
    timer1_.stop();
    SaveSettings();
}

void FrmMain::closeEvent(QCloseEvent *event)
{
    // Closing the panel ends the program, as Quit does.
    event->accept();
    if (quitting_)
        return;
    quitting_ = true;
    FormUnload();
    if (s_.quit)
        s_.quit();
}

void FrmMain::TGFrameEnable(bool enabled)
{
    for (QWidget *w : std::initializer_list<QWidget *>{ui_.cmdNormal, ui_.cmdTGON, ui_.updTGLevel, ui_.updTGOffset,
                                                       ui_.txtTGLevel, ui_.txtTGOffset})
        w->setEnabled(enabled);
}

ScreenView FrmMain::MakeViewFor()
{
    for (size_t i = 0; i < kMarkerCount; ++i) {
        markers_[i].enabled = ui_.chkMKR[i]->isChecked();
        markers_[i].freqText = Text(ui_.txtMKR[i]);
        markers_[i].deltaRef = ui_.cboMKR[i]->currentText().toStdString();
    }
    for (size_t k = 0; k < 2; ++k) {
        limits_[k].shown = ui_.chkLim[k]->isChecked();
        limits_[k].selector = ui_.cboLim[k]->currentText().toStdString();
    }
    ScreenView v;
    v.state = &State();
    v.colors = &s_.settings.Colors;
    v.liveTrace = &live_;
    v.playTrace = &play_;
    v.traceDrawColor = traceDrawColor_;
    v.running = running_;
    v.playCaption = ui_.cmdPlayRecord->text().toStdString();
    v.averaging = {averagingOn_, average_.Count(), average_.Fill(), average_.Slot()};
    v.limits = &limits_;
    v.markers = &markers_;
    v.readings = &readings_;
    v.labels = &s_.display;
    v.screenTime = &screenTime_;
    return v;
}

void FrmMain::DrawScreen(DrawingSurface &surface)
{
    const ScreenView view = MakeViewFor();
    DrawGrid(surface, view);
    DrawTrace(surface, view);
}

void FrmMain::RedrawDisplay() { s_.display.Redraw(); }

void FrmMain::LabelDropped(int index, double x)
{
    const auto n = static_cast<int16_t>(RoundHalfEvenToInt32(x));
    const double f = ConvertNthPointToMHz(State(), n);
    ui_.txtMKR[static_cast<size_t>(index)]->setText(QString::fromStdString(FormatPicture(f, "#0.000##")));
    RedrawDisplay();
}

void FrmMain::ConfirmByReports(const std::function<bool()> &reportedMatches)
{
    s_.instrument.FetchTrace(1);
    lastApplyReads_ = 1;
    for (int retry = 0; retry < 5 && !reportedMatches(); ++retry) {
        s_.instrument.FetchTrace(1);
        ++lastApplyReads_;
    }
}

namespace {

// The displayed window for a centre text and span caption, with the division width held in
// single precision; whether it lies within the analyzer's range.
bool WindowFits(const std::string &centerText, const std::string &spanCaption)
{
    const float w = ToSingle(MHzPerDivision(spanCaption));
    const double c = NumericValue(centerText);
    const float start = ToSingle(c - 5.0 * w);
    const float stop = ToSingle(c + 5.0 * w);
    return stop <= kWindowMaxMHz && start >= kWindowMinMHz;
}

}  // namespace

void FrmMain::CenterFreqEntered()
{
    ui_.txtCenterFreq->setText(QString::fromStdString(NormalizeFrequencyText(Text(ui_.txtCenterFreq))));
    ApplyCenterFreq();
    ui_.cmdStart->setFocus();
}

void FrmMain::ApplyCenterFreq()
{
    BusyPointer busy;
    lastApplyReads_ = 0;
    // A centre outside the analyzer's range cannot be fitted by any span: it is brought to the
    // nearest end (only zero span then fits), rather than sent as typed.
    const double typed = NumericValue(Text(ui_.txtCenterFreq));
    if (!(typed >= kWindowMinMHz && typed <= kWindowMaxMHz))
        ui_.txtCenterFreq->setText(
            QString::fromStdString(FormatFixed(typed > kWindowMaxMHz ? kWindowMaxMHz : kWindowMinMHz, 3, 3)));
    if (!WindowFits(Text(ui_.txtCenterFreq), Text(ui_.cboSpan))) {
        timer1_.stop();
        while (!WindowFits(Text(ui_.txtCenterFreq), Text(ui_.cboSpan)) && ui_.updSpan->Position() > 0)
            ui_.updSpan->SetPosition(ui_.updSpan->Position() - 1);
        s_.instrument.SendSpan(TrimSpaces(Text(ui_.cboSpan)));
        s_.instrument.Pause(200);
    }
    if (running_) {
        timer1_.stop();
        const double c = NumericValue(Text(ui_.txtCenterFreq));
        s_.instrument.SendCenterFreq(c);
        s_.instrument.Pause(200);
        ConfirmByReports([&] { return s_.instrument.BlockCenterFreq() == c; });
        timer1_.start(kTickMs);
    }
    userAdjusting_ = false;
    ui_.updCenterFreq->SetPosition(0);
}

void FrmMain::ApplySpan()
{
    BusyPointer busy;
    lastApplyReads_ = 0;
    const std::string caption = Text(ui_.cboSpan);
    const float w = ToSingle(MHzPerDivision(caption));
    const double c = NumericValue(Text(ui_.txtCenterFreq));
    const float start = ToSingle(c - 5.0 * w);
    const float stop = ToSingle(c + 5.0 * w);
    auto moveCenter = [&](double mhz) {
        ui_.txtCenterFreq->setText(QString::fromStdString(FormatFixed(mhz, 3, 3)));
        timer1_.stop();
        s_.instrument.SendCenterFreq(NumericValue(Text(ui_.txtCenterFreq)));
        s_.instrument.Pause(200);
    };
    if (stop > kWindowMaxMHz)
        moveCenter(kWindowMaxMHz - 5.0 * w);
    if (start < kWindowMinMHz)
        moveCenter(5.0 * w);
    if (running_) {
        timer1_.stop();
        s_.instrument.SendSpan(TrimSpaces(caption));
        s_.instrument.Pause(200);
        ConfirmByReports([&] { return TrimSpaces(s_.instrument.BlockSpan()) == TrimSpaces(Text(ui_.cboSpan)); });
        timer1_.start(kTickMs);
    }
    userAdjusting_ = false;
}

void FrmMain::ApplyRefLevel()
{
    BusyPointer busy;
    lastApplyReads_ = 0;
    if (running_) {
        timer1_.stop();
        const double level = NumericValue(Text(ui_.cboRefLevel));
        s_.instrument.SendRefLevel(static_cast<int16_t>(RoundHalfEvenToInt32(level)));
        s_.instrument.Pause(200);
        ConfirmByReports([&] { return s_.instrument.BlockRefLevel() == level; });
        timer1_.start(kTickMs);
    }
    userAdjusting_ = false;
}

void FrmMain::ApplyRBW()
{
    BusyPointer busy;
    lastApplyReads_ = 0;
    if (TrimSpaces(Text(ui_.cboSpan)) == "0HZ/DIV" && running_) {
        timer1_.stop();
        s_.instrument.SendRBW(TrimSpaces(Text(ui_.cboRBW)));
        s_.instrument.Pause(200);
        ConfirmByReports([&] { return TrimSpaces(s_.instrument.BlockRBW()) == TrimSpaces(Text(ui_.cboRBW)); });
        timer1_.start(kTickMs);
    }
    userAdjusting_ = false;
}

void FrmMain::MarkerStep(int index, int position)
{
    QLineEdit *text = ui_.txtMKR[static_cast<size_t>(index)];
    if (auto moved = StepFrequencyText(text->text().toStdString(), position, s_.settings.FreqStepMHz))
        text->setText(QString::fromStdString(*moved));
    s_.display.DrawOver();
}

void FrmMain::cmdPeak_Click()
{
    const int n = PeakPoint(live_);
    const double f = ConvertNthPointToMHz(State(), static_cast<int16_t>(n));
    ui_.txtMKR[0]->setText(QString::fromStdString(FormatFixed(f, 4, 4)));
    ui_.chkMKR[0]->setChecked(true);
    RedrawDisplay();
}

void FrmMain::RefreshLimitSelector()
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

void FrmMain::LimitChosen(int line)
{
    const auto k = static_cast<size_t>(line);
    const std::string name = ui_.cboLim[k]->currentText().toStdString();
    if (name != "NONE") {
        const LimitFileResult file = ReadLimitFile(JoinPath(WorkingFolder(), name + ".lim"));
        if (!file.ok) {
            // The line keeps its points and the picture stays as it is.
            s_.dialogs.ShowMessage("TavrinRemote", file.error);
            return;
        }
        limits_[k].points = file.points;
    }
    RedrawDisplay();
}

bool FrmMain::CenterFreqHasFocus() const { return ui_.txtCenterFreq->hasFocus(); }

void FrmMain::SetCenterFreqText(const std::string &text) { ui_.txtCenterFreq->setText(QString::fromStdString(text)); }

void FrmMain::SetRefLevelPosition(int index) { ui_.updRefLevel->SetPosition(index); }

void FrmMain::SetSpanPosition(int index) { ui_.updSpan->SetPosition(index); }

void FrmMain::SetRbwPosition(int index) { ui_.updRBW->SetPosition(index); }

}  // namespace tavrin
