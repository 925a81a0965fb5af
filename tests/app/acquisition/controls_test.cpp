// The measurement controls (spinners, the four apply procedures and what they send, read back
// from the fake analyzer's line in virtual time), the markers with Peak, and the limit lines.
#include "support/panel_fixture.h"

#include "common/text_number.h"

#include <QToolButton>

#include <fstream>
#include <sys/stat.h>

using namespace tavrin;
using namespace tavrin::test;

namespace {

class ControlsTest : public PanelTest {
protected:
    // The panel shows these settings; nothing goes to the analyzer.
    void Showing(double center, int spanRow)
    {
        const MeasurementState &s = session->Settings().State();
        session->Settings().ShowRecorded({center, SpanCaption(spanRow), static_cast<int16_t>(NumericValue(s.refLevelDbm)),
                                         s.rbwCaption});
    }
    // The jobs done: what went out besides trace requests, each send and the request after it at
    // least the analyzer's 200 ms apart.
    Commands Applied()
    {
        EXPECT_TRUE(RunUntil([this] { return !session->Line().JobsPending(); }, 10s));
        const auto sent = fake.SentAt();
        Commands settings;
        for (size_t i = 0; i < sent.size(); ++i) {
            if (sent[i].second == "T")
                continue;
            settings.push_back(sent[i].second);
            if (i + 1 < sent.size()) {
                EXPECT_GE(sent[i + 1].first - sent[i].first, 200) << sent[i].second << " then " << sent[i + 1].second;
            }
        }
        return settings;
    }
};

// Each use of a control, running or stopped: what goes to the analyzer, in order, a pause after
// each send; while acquiring, the setting is read back once (the analyzer takes it).
TEST_F(ControlsTest, EachApplySendsInOrderAndPausesAfterEachSend)
{
    Load();
    StartAcquiring();
    settings.FreqStepMHz = 1;
    Spinner *span = Find<Spinner>("updSpan");
    auto spanFrom = [&](int row, double center) { return [=, this] { Showing(center, row), span->ClickUp(); }; };
    auto typed = [&](int row, const char *text) { return [=, this] { Showing(80, row), Enter("txtCenterFreq", text); }; };
    auto up = [&](double c) { return [=, this] { Showing(c, 12), Find<Spinner>("updCenterFreq")->ClickUp(); }; };
    struct Case { std::function<void()> use; bool running; Commands sent; const char *shown; };
    const Case cases[] = {
        {[&] { Find<Spinner>("updRefLevel")->ClickDown(); }, true, {"L2"}, "80.000|10MHZ/DIV|-10|4MHZ"},
        {[&] { Find<Spinner>("updRBW")->ClickUp(); }, true, {}, "80.000|10MHZ/DIV|-10|4MHZ"},  // RBW at zero span only
        {up(80), true, {"F0081000"}, "81.000|10MHZ/DIV|-10|4MHZ"},  // one frequency step
        {up(1099.5), true, {"F1099500"}, "1099.5|10MHZ/DIV|-10|4MHZ"},  // out of the range: the same again
        {typed(12, "10"), true, {"S10", "F0010000"}, "10.000|2MHZ/DIV|-10|4MHZ"},  // the span fitted first
        {spanFrom(10, 10), true, {"F0025000", "S11"}, "25.000|5MHZ/DIV|-10|4MHZ"},  // the centre first
        {spanFrom(13, 1000), true, {"F0900000", "S14"}, "900.000|50MHZ/DIV|-10|4MHZ"},
        {spanFrom(14, 1000), true, {"F0650000", "S15"}, "650.000|100MHZ/DIV|-10|4MHZ"},
        {typed(14, "1100"), true, {"S12", "F1100000"}, "1100.000|10MHZ/DIV|-10|4MHZ"},
        {typed(12, "2000"), true, {"S0", "F1150000"}, "1150.000|0HZ/DIV|-10|4MHZ"},  // to the nearest end
        {typed(12, "-7"), true, {"S0", "F0000000"}, "0.000|0HZ/DIV|-10|4MHZ"},
        {typed(12, "abc"), true, {"S0", "F0000000"}, "0.000|0HZ/DIV|-10|4MHZ"},
        {typed(0, "1.001"), true, {"F0001001"}, "1.001|0HZ/DIV|-10|4MHZ"},  // whole kHz, halves to even
        {[&] { Find<Spinner>("updRBW")->ClickDown(); }, true, {"R2"}, "1.001|0HZ/DIV|-10|220KHZ"},
        {[&] { Find<Spinner>("updRefLevel")->ClickDown(); }, false, {}, "1.001|0HZ/DIV|-20|220KHZ"},
        {spanFrom(12, 80), false, {"F0100000"}, "100.000|20MHZ/DIV|-20|220KHZ"},
        {typed(12, "500"), false, {}, "500.000|10MHZ/DIV|-20|220KHZ"},
        {typed(14, "1100"), false, {"S12"}, "1100.000|10MHZ/DIV|-20|220KHZ"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.shown);
        if (c.running != session->Line().Running())
            Click("cmdStart");
        Run(1s);
        fake.Sent();
        c.use();
        EXPECT_EQ(Applied(), c.sent);
        EXPECT_EQ(session->Settings().LastApply().reads, c.running && !c.sent.empty() ? 1 : 0);
        EXPECT_EQ(Shown(), c.shown);
        EXPECT_EQ(span->Position() == 0, Find<Spinner>("updRBW")->isEnabled()) << "RBW at zero span only";
        EXPECT_EQ(Find<Spinner>("updCenterFreq")->Position(), 0) << "the centre spinner back at rest";
    }
}

// A mouse press on a spinner keeps the analyzer's reports of the old setting off the panel until
// the apply that follows the click, or until the mouse goes up beside the arrow (no click, no apply).
TEST_F(ControlsTest, WhileTheUserAdjustsTheReportsLeaveThePanelAlone)
{
    Load();
    StartAcquiring();
    panel->show();
    QToolButton *up = Find<Spinner>("updSpan")->findChildren<QToolButton *>()[0];
    for (bool offTheArrow : {false, true}) {
        Showing(80, 9);
        Run(1s);
        EXPECT_EQ(Find<QComboBox>("cboSpan")->currentText(), "10MHZ/DIV") << "the panel follows the analyzer";
        offTheArrow ? QTest::mousePress(up, Qt::LeftButton) : Find<Spinner>("updSpan")->PressMouse();
        Showing(80, 9);
        Run(500ms);
        EXPECT_EQ(Find<QComboBox>("cboSpan")->currentText(), "1MHZ/DIV");
        if (offTheArrow)
            QTest::mouseRelease(up, Qt::LeftButton, {}, QPoint(-20, -20));
        else
            Find<Spinner>("updRefLevel")->ClickDown();
        QTest::qWait(1);  // the spinner learns on the next turn whether the release was a click
    }
    Run(500ms);
    EXPECT_EQ(Find<QComboBox>("cboSpan")->currentText(), "10MHZ/DIV");
    EXPECT_EQ(Applied(), Commands{"L2"});
}

// A click while a block is on the line: its frame goes out right after that block, and the block
// (asked before the setting) neither shows nor moves the panel back.
TEST_F(ControlsTest, ASettingClickedDuringAFetchGoesOutNextAndIsNotUndoneByThatBlock)
{
    Load();
    StartAcquiring();
    Run(50ms);  // a block is on the line
    const uint64_t shownBefore = session->Live()->seq;
    Find<Spinner>("updRefLevel")->ClickDown();
    EXPECT_EQ(Find<QComboBox>("cboRefLevel")->currentText(), "-10");
    RunUntil([this] { return !session->Line().JobsPending(); });
    const Commands sent = fake.Sent();
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(Commands(sent.begin(), sent.begin() + 2), (Commands{"L2", "T"})) << "then the next trace request";
    EXPECT_EQ(session->Live()->seq, shownBefore) << "the old block was dropped, the confirming one not shown";
    EXPECT_EQ(Find<QComboBox>("cboRefLevel")->currentText(), "-10");
    Run(1s);
    EXPECT_EQ(session->Live()->settings.refLevelDbm, -10);
}

// Stop or Freeze pressed while a setting is confirmed: the acquisition stays stopped afterwards.
TEST_F(ControlsTest, StopOrFreezeDuringAnApplyStaysStopped)
{
    Load();
    for (const char *button : {"cmdStart", "cmdFreeze"}) {
        StartAcquiring();
        Find<Spinner>("updRefLevel")->ClickDown();
        Run(100ms);
        Click(button);
        Run(2s);
        EXPECT_FALSE(session->Line().Running()) << button;
        EXPECT_EQ(Find("cmdStart")->text(), "Start");
        EXPECT_EQ(session->Settings().LastApply().reads, 1) << "the confirmation still read its trace";
    }
}

TEST_F(ControlsTest, AnAnalyzerThatKeepsReportingTheOldValueIsReadSixTimes)
{
    fake.deaf = true;
    Load();
    StartAcquiring();
    Enter("txtCenterFreq", "100");
    EXPECT_EQ(Applied(), Commands{"F0100000"});
    EXPECT_EQ(session->Settings().LastApply().reads, 6);
    Run(500ms);
    EXPECT_EQ(Find<QLineEdit>("txtCenterFreq")->text(), "80.000") << "then the panel shows what the analyzer does";
}

// Every marker and limit control and Peak redraw the screen when used; Peak puts marker 1 on the
// highest point and switches it on; a marker's spinner moves it one frequency step per click (none
// that leaves the range).
TEST_F(PanelTest, MarkerAndLimitControlsAndPeakRedrawWhenUsed)
{
    fake.level = [](int n, uint64_t, const AnalyzerSettings &) { return static_cast<int16_t>(n == 300 ? 900 : 100 + n % 7); };
    Load();
    StartAcquiring();
    settings.FreqStepMHz = 0.5f;
    auto redraws = [&](const char *what, const std::function<void()> &use) {
        const int before = display.RedrawCount();
        use();
        Settle();
        EXPECT_GT(display.RedrawCount(), before) << what;
    };
    redraws("cmdPeak", [&] { Click("cmdPeak"); });
    EXPECT_EQ(Find<QLineEdit>("txtMKR", 0)->text(), "89.8000");
    EXPECT_TRUE(Find<QCheckBox>("chkMKR", 0)->isChecked());
    for (size_t i = 0; i < 5; ++i) {
        QLineEdit *text = Find<QLineEdit>("txtMKR", i);
        Spinner *spinner = Find<Spinner>("updMKR", i);
        redraws("chkMKR", [&] { Find<QCheckBox>("chkMKR", i)->click(); });
        redraws("cboMKR", [&] { emit Find<QComboBox>("cboMKR", i)->activated(0); });
        redraws("txtMKR", [&] { text->setText("100.000"), text->setModified(true), QTest::keyClick(text, Qt::Key_Return); });
        for (const auto &step : {std::pair{true, "100.500"}, {false, "100.000"}, {false, "99.500"}, {true, "100.000"}}) {
            redraws("updMKR", [&] { step.first ? spinner->ClickUp() : spinner->ClickDown(); });
            EXPECT_EQ(text->text(), step.second);
        }
        session->Markers().SetFrequencyText(static_cast<int>(i), "0.300");
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
    const std::string working = folder + "/Working";
    std::filesystem::create_directories(working);
    const double values[] = {50, -30, 80, -20, 110, -30};
    std::ofstream(working + "/mask.lim", std::ios::binary).write(reinterpret_cast<const char *>(values), sizeof values);
    std::ofstream(working + "/empty.lim", std::ios::binary);
    std::ofstream(working + "/Pr\xfc" "fmaske.lim", std::ios::binary) << std::string(32, '\0');  // named on another system
    ASSERT_EQ(mkfifo((working + "/pipe.lim").c_str(), 0600), 0);
    Load();
    const LimitLines &lines = session->Limits().Lines();
    auto choose = [&](int line, const QString &name) {
        QComboBox *sel = Find<QComboBox>("cboLim", static_cast<size_t>(line));
        const size_t messages = dialogs.messages.size();
        sel->setCurrentText(name);
        emit sel->activated(sel->currentIndex());
        // Read off the window's thread: done once the selectors can be used again.
        EXPECT_TRUE(QTest::qWaitFor([&] { return sel->isEnabled(); }, 5000));
        return dialogs.messages.size() > messages;
    };
    for (int line : {1, 0}) {
        const auto k = static_cast<size_t>(line);
        ASSERT_EQ(Find<QComboBox>("cboLim", k)->count(), 5) << "NONE and the four files";
        EXPECT_FALSE(choose(line, "mask"));
        ASSERT_EQ(lines[k].points.size(), 3u);
        EXPECT_DOUBLE_EQ(lines[k].points[1].freqMHz, 80);
        EXPECT_DOUBLE_EQ(lines[k].points[1].levelDbm, -20);
        EXPECT_EQ(lines[0].points.size(), line ? 1u : 3u) << "the other line keeps its own";
        EXPECT_TRUE(choose(line, "empty"));
        EXPECT_EQ(lines[k].points.size(), 3u);
        EXPECT_EQ(Find<QComboBox>("cboLim", k)->currentText(), "mask") << "the selector shows the line's file again";
        EXPECT_NE(dialogs.messages.back().text.find("empty.lim"), std::string::npos);
        choose(line, "NONE");
        EXPECT_EQ(lines[k].points.size(), 3u) << "NONE keeps the points";
    }
    // A name in Latin-1 is listed as well as the locale can show it and loaded by its own bytes; a
    // FIFO is refused at once.
    QComboBox *box = Find<QComboBox>("cboLim0");
    const QString latin1 = box->itemText(box->findText("Pr", Qt::MatchStartsWith));
    EXPECT_TRUE(latin1.endsWith("fmaske")) << latin1.toStdString();
    EXPECT_FALSE(choose(0, latin1));
    EXPECT_TRUE(choose(0, "pipe"));
    EXPECT_EQ(lines[0].points.size(), 2u) << "loaded, and kept when the FIFO is refused";
    EXPECT_NE(dialogs.messages.back().text.find("/Working/pipe.lim is a FIFO (named pipe), not a file"), std::string::npos);
}

}  // namespace
