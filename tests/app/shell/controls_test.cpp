// Measurement controls, markers and limit lines on the panel, against tavrin-sim where the
// analyzer is involved.
#include "common/number_format.h"
#include "markers/peak.h"
#include "panel_fixture.h"
#include "support/pty_peer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <fstream>

using namespace tavrin;
using namespace tavrin::test;

namespace {

// Every notification of a spinner, in order.
struct SpinnerLog {
    explicit SpinnerLog(Spinner &s)
    {
        QObject::connect(&s, &Spinner::positionChanged, [this](int p) { events.push_back("pos " + std::to_string(p)); });
        QObject::connect(&s, &Spinner::upClicked, [this] { events.push_back("up"); });
        QObject::connect(&s, &Spinner::downClicked, [this] { events.push_back("down"); });
        QObject::connect(&s, &Spinner::mousePressed, [this] { events.push_back("press"); });
    }
    std::vector<std::string> events;
};

TEST(SpinnerWidget, AClickMovesFirstThenReportsAndTheProgramOnlyMoves)
{
    Spinner s;
    s.SetRange(0, 3);
    s.SetStep(1);
    SpinnerLog log(s);
    s.ClickUp();
    s.ClickUp();
    s.ClickUp();
    s.ClickUp();  // at the top: no move, still a click
    s.ClickDown();
    s.SetPosition(1);
    s.SetPosition(1);
    s.SetPosition(-7);  // clamped to the lowest
    EXPECT_EQ(log.events, (std::vector<std::string>{"pos 1", "up", "pos 2", "up", "pos 3", "up", "up", "pos 2", "down",
                                                   "pos 1", "pos 0"}));
}

TEST(SpinnerWidget, ARealMouseClickPressesMovesAndClicks)
{
    Spinner s;
    s.SetRange(-1000000, 1000000);
    s.SetStep(1000);
    SpinnerLog log(s);
    s.show();
    auto buttons = s.findChildren<QToolButton *>();
    ASSERT_EQ(buttons.size(), 2);
    QToolButton *up = buttons[0]->arrowType() == Qt::UpArrow ? buttons[0] : buttons[1];
    QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(log.events, (std::vector<std::string>{"press", "pos 1000", "up"}));
}

class ControlsTest : public PanelTest {
protected:
    void StartRunning(std::vector<std::string> args = {"--no-pace"})
    {
        log = home.Path() + "/rx.log";
        args.push_back("--log");
        args.push_back(log);
        StartSim(args);
        Load();
        acq().cmdStart_Click();
        ASSERT_TRUE(acq().Running());
        acq().Timer1().stop();  // ticks by hand only
        mark = LoggedCommands(log).size();
    }
    // The commands the simulator received since the last call.
    std::vector<std::string> Sent()
    {
        auto all = LoggedCommands(log);
        std::vector<std::string> recent(all.begin() + static_cast<long>(std::min(mark, all.size())), all.end());
        mark = all.size();
        return recent;
    }
    static std::vector<std::string> WithoutReads(const std::vector<std::string> &commands)
    {
        std::vector<std::string> out;
        for (const auto &c : commands)
            if (c != "T")
                out.push_back(c);
        return out;
    }
    static int Reads(const std::vector<std::string> &commands)
    {
        return static_cast<int>(std::count(commands.begin(), commands.end(), "T"));
    }
    void Type(QLineEdit *field, const char *text)
    {
        field->setText(text);
        basic().CenterFreqEntered();
    }
    QLineEdit *center() { return const_cast<QLineEdit *>(basicUi().txtCenterFreq); }

    std::string log;
    size_t mark = 0;
};

TEST_F(ControlsTest, ARangeFitTheSpanOrTheCentreBeforeSendingTheOther)
{
    StartRunning();
    Type(center(), "10");  // 10MHZ/DIV does not fit around 10 MHz: 2MHZ/DIV does
    EXPECT_EQ(Sent(), (std::vector<std::string>{"S10", "F0010000", "T"}));
    EXPECT_EQ(basic().LastApplyReads(), 1) << "the simulator reports the new centre at once";

    basicUi().updSpan->ClickUp();  // 2MHZ/DIV -> 5MHZ/DIV: start would be -15
    auto sent = Sent();
    EXPECT_EQ(WithoutReads(sent), (std::vector<std::string>{"F0025000", "S11"}));
    EXPECT_EQ(center()->text().toStdString(), "25.000");
    EXPECT_EQ(basicUi().cboSpan->currentText().toStdString(), "5MHZ/DIV");
    EXPECT_LE(Reads(sent), 6);

    Type(center(), "1000");
    Sent();
    for (int i = 0; i < 4; ++i)
        basicUi().updSpan->ClickUp();  // up to 100MHZ/DIV: stop 1500 moves the centre in
    EXPECT_EQ(center()->text().toStdString(), "650.000");
    EXPECT_EQ(WithoutReads(Sent()), (std::vector<std::string>{"S12", "S13", "F0900000", "S14", "F0650000", "S15"}))
        << "10 and 20MHZ/DIV fit at 1000; 50MHZ/DIV moves the centre to 900, 100MHZ/DIV to 650";
    EXPECT_TRUE(acq().Timer1().isActive()) << "acquisition resumes";
    EXPECT_FALSE(basic().UserAdjusting());
}

TEST_F(ControlsTest, ACentreNearTheTopNarrowsTheSpanAndSendsItFirst)
{
    StartRunning();
    basic().SetSpanPosition(14);  // 50MHZ/DIV shown, not sent
    Type(center(), "1100");
    EXPECT_EQ(WithoutReads(Sent()), (std::vector<std::string>{"S12", "F1100000"}));
    EXPECT_EQ(basicUi().cboSpan->currentText(), "10MHZ/DIV");
    acq().Timer1_Timer();
    EXPECT_EQ(center()->text(), "1100.000") << "the panel follows the analyzer's report";
    EXPECT_EQ(basicUi().cboSpan->currentText(), "10MHZ/DIV");
}

TEST_F(ControlsTest, ACentreOutsideTheRangeStopsAtZeroSpanAtTheNearestEnd)
{
    StartRunning();
    struct Case {
        const char *typed;
        const char *shown;
        const char *sent;
    };
    for (Case c : {Case{"abc", "0.000", "F0000000"}, Case{"2000", "1150.000", "F1150000"},
                   Case{"-7", "0.000", "F0000000"}}) {
        SCOPED_TRACE(c.typed);
        basic().SetSpanPosition(12);
        Type(center(), c.typed);
        EXPECT_EQ(center()->text(), c.shown);
        EXPECT_EQ(basicUi().cboSpan->currentText(), "0HZ/DIV");
        EXPECT_TRUE(basicUi().updRBW->isEnabled());
        EXPECT_EQ(WithoutReads(Sent()), (std::vector<std::string>{"S0", c.sent}));
        EXPECT_EQ(basicUi().updSpan->Position(), 0);
    }
}

TEST_F(ControlsTest, LevelAndRbwAreSentWhileRunningAndConfirmed)
{
    StartRunning();
    basicUi().updRefLevel->ClickDown();  // 0 -> -10 dBm
    EXPECT_EQ(WithoutReads(Sent()), std::vector<std::string>{"L2"});
    EXPECT_EQ(basic().LastApplyReads(), 1);
    basicUi().updRBW->ClickUp();  // not at zero span: nothing is sent
    EXPECT_TRUE(WithoutReads(Sent()).empty());
    Type(center(), "abc");  // 0 MHz: down to zero span, sent
    Sent();
    basicUi().updRBW->ClickDown();  // from the reported 4MHZ
    EXPECT_EQ(basicUi().cboRBW->currentText().toStdString(), "220KHZ");
    EXPECT_EQ(WithoutReads(Sent()), std::vector<std::string>{"R2"});
    EXPECT_EQ(basic().LastApplyReads(), 1);
    acq().Timer1_Timer();
    EXPECT_EQ(basicUi().cboRBW->currentText().toStdString(), "220KHZ");
    EXPECT_EQ(basicUi().cboRefLevel->currentText().toStdString(), "-10");
}

// Stop or Freeze pressed while an apply waits: the apply must not start the timer again.
TEST_F(ControlsTest, StopOrFreezeDuringAnApplyStaysStopped)
{
    StartRunning();
    for (bool freeze : {false, true}) {
        if (!acq().Running())
            acq().cmdStart_Click();
        ASSERT_TRUE(acq().Running());
        bool pressed = false;
        dll.SetEventPump([&] {
            if (!std::exchange(pressed, true))
                freeze ? acq().cmdFreeze_Click() : acq().cmdStart_Click();
        });
        basicUi().updRefLevel->ClickDown();
        dll.SetEventPump([] {});
        EXPECT_TRUE(pressed);
        EXPECT_FALSE(acq().Running()) << freeze;
        EXPECT_FALSE(acq().Timer1().isActive()) << freeze;
        EXPECT_EQ(acqUi().cmdStart->text(), "Start");
    }
}

// Pressed on an arrow, released beside it: no click, and the panel follows the analyzer again.
TEST_F(ControlsTest, ASpinnerReleasedOffItsArrowEndsTheAdjustment)
{
    home.LinkPort(1, home.Path() + "/absent");
    Load();
    panel->show();
    Spinner *span = basicUi().updSpan;
    QToolButton *up = span->findChildren<QToolButton *>()[0];
    const int before = span->Position();
    QTest::mousePress(up, Qt::LeftButton);
    EXPECT_TRUE(basic().UserAdjusting());
    QTest::mouseRelease(up, Qt::LeftButton, {}, QPoint(-20, -20));
    QTest::qWait(1);
    EXPECT_FALSE(basic().UserAdjusting());
    EXPECT_EQ(span->Position(), before);
}

TEST_F(ControlsTest, WhileStoppedOnlyThePanelChangesOrAFittingCorrection)
{
    log = home.Path() + "/rx.log";
    StartSim({"--no-pace", "--log", log});
    Load();
    basicUi().updRefLevel->ClickUp();
    EXPECT_EQ(basicUi().cboRefLevel->currentText(), "10");
    basicUi().updSpan->ClickUp();  // 20MHZ/DIV around 80: start -20 -> the centre moves to 100
    EXPECT_EQ(center()->text(), "100.000");
    EXPECT_EQ(LoggedCommands(log), std::vector<std::string>{"F0100000"});
    EXPECT_FALSE(acq().Timer1().isActive());
}

TEST_F(ControlsTest, AnAnalyzerThatKeepsReportingTheOldValueIsReadSixTimes)
{
    // A scripted analyzer that answers but always reports 80 MHz.
    PtyPeer peer;
    home.LinkPort(1, peer.DevicePath());
    Bytes block(1017, 0);
    std::memcpy(block.data(), "0080000", 7);
    block[7] = 12;
    block[8] = 3;
    std::memcpy(block.data() + 9, "4MHZ   ", 7);
    block = SealBlock(block);
    peer.SetResponder([block](uint8_t b, const Bytes &) -> Bytes {
        if (b == 'j')
            return ToBytes("12345");
        if (b == 0xA5)
            return block;
        return {b};
    });
    Load();
    acq().cmdStart_Click();
    ASSERT_TRUE(acq().Running());
    peer.ClearReceived();
    Type(center(), "100");
    EXPECT_EQ(basic().LastApplyReads(), 6);
    Bytes expected = ToBytes("UF0100000");
    expected.insert(expected.end(), 6, 0xA5);
    EXPECT_EQ(peer.Received(), expected);
}

TEST_F(ControlsTest, MarkerSpinnersStepAndReturnToRest)
{
    home.LinkPort(1, home.Path() + "/absent");
    Load();
    settings.FreqStepMHz = 0.5f;
    QLineEdit *m = const_cast<QLineEdit *>(markerUi().txtMKR[0]);
    Spinner *spin = markerUi().updMKR[0];
    m->setText("100.000");
    spin->ClickUp();
    EXPECT_EQ(m->text(), "100.500");
    EXPECT_EQ(spin->Position(), 0);
    for (int i = 0; i < 3; ++i)
        spin->ClickDown();
    EXPECT_EQ(m->text(), "99.000");
    spin->ClickUp();
    EXPECT_EQ(m->text(), "99.500");
    m->setText("0.300");
    const int before = display.RedrawCount();
    spin->ClickDown();
    EXPECT_EQ(m->text(), "0.300");
    EXPECT_GT(display.RedrawCount(), before) << "redrawn even when the step is refused";
}

TEST_F(ControlsTest, PeakPutsMarkerOneOnTheHighestPointAndSwitchesItOn)
{
    StartRunning();
    acq().Timer1_Timer();
    QCheckBox *on = markerUi().chkMKR[0];
    ASSERT_FALSE(on->isChecked());
    markerUi().cmdPeak->click();
    EXPECT_TRUE(on->isChecked());
    const double f = ConvertNthPointToMHz(basic().State(), static_cast<int16_t>(PeakPoint(acq().Live())));
    EXPECT_EQ(markerUi().txtMKR[0]->text().toStdString(), FormatFixed(f, 4, 4));
    EXPECT_NEAR(f, 80.0, 0.5) << "the simulator's carrier at the centre";
    EXPECT_TRUE(display.Visible(0));
}

TEST_F(ControlsTest, LimitFilesAreListedLoadedAndAnUnusableOneLeavesTheLineAsItWas)
{
    home.LinkPort(1, home.Path() + "/absent");
    const std::string working = folder + "/Working";
    std::filesystem::create_directories(working);
    {
        std::ofstream a(working + "/mask.lim", std::ios::binary);
        const double values[] = {50, -30, 80, -20, 110, -30};
        a.write(reinterpret_cast<const char *>(values), sizeof values);  // x86-64 is little-endian
        std::ofstream empty(working + "/empty.lim", std::ios::binary);
    }
    Load();
    QComboBox *sel = const_cast<QComboBox *>(panel->Limits().Controls().cboLim[0]);
    ASSERT_EQ(sel->count(), 3);
    EXPECT_EQ(sel->itemText(0), "NONE");
    EXPECT_EQ(sel->currentText(), "NONE");

    sel->setCurrentText("mask");
    int before = display.RedrawCount();
    panel->Limits().LimitChosen(0);
    ASSERT_EQ(panel->Limits().View()[0].points.size(), 3u);
    EXPECT_DOUBLE_EQ(panel->Limits().View()[0].points[1].freqMHz, 80);
    EXPECT_GT(display.RedrawCount(), before);

    sel->setCurrentText("empty");
    before = display.RedrawCount();
    panel->Limits().LimitChosen(0);
    EXPECT_EQ(panel->Limits().View()[0].points.size(), 3u);
    EXPECT_EQ(display.RedrawCount(), before);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find("empty.lim"), std::string::npos);

    sel->setCurrentText("NONE");
    panel->Limits().LimitChosen(0);
    EXPECT_EQ(panel->Limits().View()[0].points.size(), 3u) << "NONE keeps the points";
    EXPECT_EQ(panel->Limits().View()[1].points.size(), 1u);
}

}  // namespace
