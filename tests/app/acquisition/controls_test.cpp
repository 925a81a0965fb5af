// The measurement controls (spinners, the four apply procedures and what they send, read back
// from the simulator's log), the markers with Peak, and the limit lines.
#include "support/panel_fixture.h"

#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <fstream>

using namespace tavrin;
using namespace tavrin::test;

namespace {

class ControlsTest : public PanelTest {
protected:
    void StartRunning()
    {
        StartSim({"--no-pace"});
        Load();
        Click("cmdStart");
        ASSERT_EQ(Find("cmdStart")->text(), "Stop");
        timer1().stop();  // ticks by hand only
        Sent();
    }
    Commands SentWithoutReads()
    {
        Commands sent = Sent();
        std::erase(sent, "T");
        return sent;
    }
};

// Each use of a control, running or stopped: what goes to the analyzer, in order; every send is
// followed by a 200 ms pause; while an apply talks to the analyzer the acquisition timer is held,
// and afterwards it runs again at 100 ms, and only if the acquisition does.
TEST_F(ControlsTest, EachApplySendsInOrderPausesAfterEachSendAndHoldsTheTimer)
{
    StartRunning();
    uint32_t ms = 0;  // a counter that moves 1 ms per served event
    int pumps = 0;
    bool timerActive = false;
    dll.SetMsCounter([&] { return ms; });
    dll.SetEventPump([&] { ++ms, ++pumps, timerActive |= timer1().isActive(); });
    Spinner *span = Find<Spinner>("updSpan");
    auto spanFrom = [&](int row, const char *center) {
        return [=, this] {
            Find<QLineEdit>("txtCenterFreq")->setText(center);
            basic().SetSpanPosition(row);
            span->ClickUp();
        };
    };
    auto typed = [&](int row, const char *text) {
        return [=, this] {
            basic().SetSpanPosition(row);
            Enter("txtCenterFreq", text);
        };
    };
    struct Case { std::function<void()> use; bool running; Commands sent; int pausedMs; const char *shown; };
    const Case cases[] = {
        {[&] { Find<Spinner>("updRefLevel")->ClickDown(); }, true, {"L2"}, 200, "80.000|10MHZ/DIV|-10|4MHZ"},
        {[&] { Find<Spinner>("updRBW")->ClickUp(); }, true, {}, 0, "80.000|10MHZ/DIV|-10|4MHZ"},  // RBW at zero span only
        {typed(12, "10"), true, {"S10", "F0010000"}, 400, "10.000|2MHZ/DIV|-10|4MHZ"},  // the span fitted first
        {spanFrom(10, "10.000"), true, {"F0025000", "S11"}, 400, "25.000|5MHZ/DIV|-10|4MHZ"},  // the centre first
        {spanFrom(13, "1000.000"), true, {"F0900000", "S14"}, 400, "900.000|50MHZ/DIV|-10|4MHZ"},
        {spanFrom(14, "1000.000"), true, {"F0650000", "S15"}, 400, "650.000|100MHZ/DIV|-10|4MHZ"},
        {typed(14, "1100"), true, {"S12", "F1100000"}, 400, "1100.000|10MHZ/DIV|-10|4MHZ"},
        {typed(12, "2000"), true, {"S0", "F1150000"}, 400, "1150.000|0HZ/DIV|-10|4MHZ"},  // to the nearest end
        {typed(12, "-7"), true, {"S0", "F0000000"}, 400, "0.000|0HZ/DIV|-10|4MHZ"},
        {typed(12, "abc"), true, {"S0", "F0000000"}, 400, "0.000|0HZ/DIV|-10|4MHZ"},
        {[&] { Find<Spinner>("updRBW")->ClickDown(); }, true, {"R2"}, 200, "0.000|0HZ/DIV|-10|220KHZ"},
        {[&] { Find<Spinner>("updRefLevel")->ClickDown(); }, false, {}, 0, "0.000|0HZ/DIV|-20|220KHZ"},
        {spanFrom(12, "80.000"), false, {"F0100000"}, 200, "100.000|20MHZ/DIV|-20|220KHZ"},
        {typed(12, "500"), false, {}, 0, "500.000|10MHZ/DIV|-20|220KHZ"},
        {typed(14, "1100"), false, {"S12"}, 200, "1100.000|10MHZ/DIV|-20|220KHZ"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.shown);
        if (c.running != acq().Running())
            Click("cmdStart");
        if (c.running)
            timer1().start(30);
        pumps = 0;
        timerActive = false;
        c.use();
        EXPECT_EQ(SentWithoutReads(), c.sent);
        EXPECT_EQ(basic().LastApplyReads(), c.running && !c.sent.empty() ? 1 : 0);
        EXPECT_EQ(pumps - basic().LastApplyReads(), c.pausedMs);
        EXPECT_FALSE(timerActive && c.pausedMs);
        EXPECT_EQ(timer1().isActive(), c.running);
        if (c.running && c.pausedMs) {
            EXPECT_EQ(timer1().interval(), 100);
        }
        EXPECT_EQ(Shown(), c.shown);
        EXPECT_EQ(span->Position() == 0, Find<Spinner>("updRBW")->isEnabled()) << "RBW at zero span only";
    }
}

// A mouse press on a spinner keeps the analyzer's reports of the old setting off the panel until
// the apply that follows the click, or until the mouse goes up beside the arrow (no click, no apply).
TEST_F(ControlsTest, WhileTheUserAdjustsTheReportsLeaveThePanelAlone)
{
    StartRunning();
    panel->show();
    QToolButton *up = Find<Spinner>("updSpan")->findChildren<QToolButton *>()[0];
    for (bool offTheArrow : {false, true}) {
        basic().SetSpanPosition(9);
        acq().Tick();
        EXPECT_EQ(Find<QComboBox>("cboSpan")->currentText(), "10MHZ/DIV") << "the panel follows the analyzer";
        offTheArrow ? QTest::mousePress(up, Qt::LeftButton) : Find<Spinner>("updSpan")->PressMouse();
        basic().SetSpanPosition(9);
        acq().Tick();
        EXPECT_EQ(Find<QComboBox>("cboSpan")->currentText(), "1MHZ/DIV");
        if (offTheArrow)
            QTest::mouseRelease(up, Qt::LeftButton, {}, QPoint(-20, -20));
        else
            Find<Spinner>("updRefLevel")->ClickDown();
        QTest::qWait(1);  // the spinner learns on the next turn whether the release was a click
    }
    acq().Tick();
    EXPECT_EQ(Find<QComboBox>("cboSpan")->currentText(), "10MHZ/DIV");
    EXPECT_EQ(SentWithoutReads(), Commands{"L2"});
}

TEST_F(ControlsTest, TheCentreSpinnerStepsOnceAppliesAndReturnsToRest)
{
    StartRunning();
    settings.FreqStepMHz = 1;
    const std::tuple<const char *, bool, const char *, const char *> cases[] = {
        {"80.000", true, "81.000", "F0081000"},
        {"81.000", false, "80.000", "F0080000"},
        {"1099.500", true, "1099.500", "F1099500"},  // a step out of the range: the same value again
    };
    for (const auto &[before, up, after, sent] : cases) {
        Find<QLineEdit>("txtCenterFreq")->setText(before);
        up ? Find<Spinner>("updCenterFreq")->ClickUp() : Find<Spinner>("updCenterFreq")->ClickDown();
        EXPECT_EQ(Find<QLineEdit>("txtCenterFreq")->text(), after);
        EXPECT_EQ(Find<Spinner>("updCenterFreq")->Position(), 0);
        EXPECT_EQ(SentWithoutReads(), Commands{sent});
    }
}

// A click handled while a tick's trace request waits: the setting it sends is not undone by the
// analyzer's report in that older trace.
TEST_F(ControlsTest, ASettingSentDuringATicksFetchIsNotUndoneByThatTrace)
{
    StartRunning();
    QTimer::singleShot(0, panel.get(), [this] { Find<Spinner>("updRefLevel")->ClickDown(); });
    acq().Tick();
    EXPECT_EQ(SentWithoutReads(), Commands{"L2"});
    EXPECT_EQ(Find<QComboBox>("cboRefLevel")->currentText(), "-10");
}

// Stop or Freeze pressed while an apply waits: the apply must not start the timer again.
TEST_F(ControlsTest, StopOrFreezeDuringAnApplyStaysStopped)
{
    StartRunning();
    for (bool freeze : {false, true}) {
        if (!acq().Running())
            Click("cmdStart");
        bool pressed = false;
        dll.SetEventPump([&] {
            if (!std::exchange(pressed, true))
                freeze ? Click("cmdFreeze") : Click("cmdStart");
        });
        Find<Spinner>("updRefLevel")->ClickDown();
        dll.SetEventPump([] {});
        EXPECT_TRUE(pressed);
        EXPECT_FALSE(acq().Running()) << freeze;
        EXPECT_FALSE(timer1().isActive()) << freeze;
        EXPECT_EQ(Find("cmdStart")->text(), "Start");
    }
}

TEST_F(ControlsTest, AnAnalyzerThatKeepsReportingTheOldValueIsReadSixTimes)
{
    StartScripted({TraceBlock([](int) { return 0; })});  // always reports 80 MHz
    Load();
    Click("cmdStart");
    ASSERT_TRUE(acq().Running());
    scripted->ClearReceived();
    Enter("txtCenterFreq", "100");
    EXPECT_EQ(basic().LastApplyReads(), 6);
    Bytes expected = ToBytes("UF0100000");
    expected.insert(expected.end(), 6, 0xA5);
    EXPECT_EQ(scripted->Received(), expected);
}

TEST_F(PanelTest, PeakPutsMarkerOneOnTheHighestPointAndSwitchesItOn)
{
    StartScripted({TraceBlock([](int n) { return n == 300 ? 900 : 100 + n % 7; })});
    Load();
    Click("cmdStart");
    acq().Tick();
    const int before = display.RedrawCount();
    Find("cmdPeak")->click();
    EXPECT_EQ(Find<QLineEdit>("txtMKR", 0)->text(), "89.8000");
    EXPECT_TRUE(Find<QCheckBox>("chkMKR", 0)->isChecked());
    EXPECT_GT(display.RedrawCount(), before);
}

// Every marker and limit control redraws the screen when used; a marker's spinner moves it one
// frequency step per click (none that leaves the range) and goes back to rest.
TEST_F(PanelTest, MarkerAndLimitControlsRedrawWhenUsed)
{
    NoInstrument();
    Load();
    settings.FreqStepMHz = 0.5f;
    auto redraws = [&](const char *what, const std::function<void()> &use) {
        const int before = display.RedrawCount();
        use();
        EXPECT_GT(display.RedrawCount(), before) << what;
    };
    for (size_t i = 0; i < 5; ++i) {
        QLineEdit *text = Find<QLineEdit>("txtMKR", i);
        Spinner *spinner = Find<Spinner>("updMKR", i);
        redraws("chkMKR", [&] { Find<QCheckBox>("chkMKR", i)->click(); });
        redraws("cboMKR", [&] { emit Find<QComboBox>("cboMKR", i)->activated(0); });
        redraws("txtMKR", [&] { QTest::keyClick(text, Qt::Key_Return); });
        text->setText("100.000");
        for (const auto &step : {std::pair{true, "100.500"}, {false, "100.000"}, {false, "99.500"}, {true, "100.000"}}) {
            redraws("updMKR", [&] { step.first ? spinner->ClickUp() : spinner->ClickDown(); });
            EXPECT_EQ(text->text(), step.second);
        }
        text->setText("0.300");
        redraws("a refused step", [&] { spinner->ClickDown(); });
        EXPECT_EQ(text->text(), "0.300");
    }
    for (size_t k = 0; k < 2; ++k) {
        redraws("chkLim", [&] { Find<QCheckBox>("chkLim", k)->click(); });
        redraws("cboLim", [&] { emit Find<QComboBox>("cboLim", k)->activated(0); });
    }
}

TEST_F(PanelTest, EachLimitLineLoadsItsFileAndAnUnusableOneLeavesTheLineAsItWas)
{
    NoInstrument();
    const std::string working = folder + "/Working";
    std::filesystem::create_directories(working);
    const double values[] = {50, -30, 80, -20, 110, -30};
    std::ofstream(working + "/mask.lim", std::ios::binary).write(reinterpret_cast<const char *>(values), sizeof values);
    std::ofstream(working + "/empty.lim", std::ios::binary);
    Load();
    const LimitGroup &limits = panel->Limits();
    auto choose = [&](int line, const char *name) {
        QComboBox *sel = Find<QComboBox>("cboLim", static_cast<size_t>(line));
        sel->setCurrentText(name);
        emit sel->activated(sel->currentIndex());
    };
    for (int line : {1, 0}) {
        const auto k = static_cast<size_t>(line);
        ASSERT_EQ(Find<QComboBox>("cboLim", k)->count(), 3) << "NONE and the two files";
        choose(line, "mask");
        ASSERT_EQ(limits.View()[k].points.size(), 3u);
        EXPECT_DOUBLE_EQ(limits.View()[k].points[1].freqMHz, 80);
        EXPECT_DOUBLE_EQ(limits.View()[k].points[1].levelDbm, -20);
        EXPECT_EQ(limits.View()[0].points.size(), line ? 1u : 3u) << "the other line keeps its own";
        const int before = display.RedrawCount();
        choose(line, "empty");
        EXPECT_EQ(limits.View()[k].points.size(), 3u);
        EXPECT_EQ(display.RedrawCount(), before);
        EXPECT_NE(dialogs.messages.back().text.find("empty.lim"), std::string::npos);
        choose(line, "NONE");
        EXPECT_EQ(limits.View()[k].points.size(), 3u) << "NONE keeps the points";
    }
}

}  // namespace
