// The control panel with the display window, against tavrin-sim: start-up, link check,
// acquisition, averaging, Freeze, Quit.
#include "engine.h"
#include "panel_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using namespace tavrin;
using namespace tavrin::test;

namespace {

TEST_F(PanelTest, StartWithoutAnInstrumentShowsTheMessageAndChangesNothing)
{
    home.LinkPort(1, home.Path() + "/absent");
    Load();
    for (int click = 0; click < 2; ++click) {
        acq().cmdStart_Click();
        EXPECT_FALSE(acq().Running());
        EXPECT_FALSE(acq().LinkOk());
        EXPECT_FALSE(acq().Timer1().isActive());
        EXPECT_EQ(acqUi().cmdStart->text(), "Start");
        EXPECT_NE(acqUi().cmdStart->styleSheet().indexOf("255, 0, 0"), -1);
    }
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].title, "Warring");
    EXPECT_EQ(dialogs.messages[0].text, "Communication Error!");
}

TEST_F(PanelTest, StartAndStopAlternateCaptionsColoursAndTimer)
{
    StartSim({"--no-pace"});
    Load();
    acq().cmdStart_Click();
    EXPECT_TRUE(acq().Running());
    EXPECT_TRUE(acq().Timer1().isActive());
    EXPECT_EQ(acq().Timer1().interval(), AcquisitionGroup::kTickMs);
    EXPECT_EQ(acqUi().cmdStart->text(), "Stop");
    EXPECT_EQ(acqUi().cmdStart->toolTip(), "Stop To Show Trace");
    EXPECT_NE(acqUi().cmdStart->styleSheet().indexOf("0, 255, 0"), -1);
    acq().cmdStart_Click();
    EXPECT_FALSE(acq().Running());
    EXPECT_FALSE(acq().Timer1().isActive());
    EXPECT_EQ(acqUi().cmdStart->text(), "Start");
    EXPECT_EQ(acqUi().cmdStart->toolTip(), "Start To Show Trace");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(PanelTest, TheLiveTraceIsTheSimulatorsBlockAndThePanelFollowsItsSettings)
{
    StartSim({"--no-pace", "--seed", "7"});
    Load();
    acq().cmdStart_Click();  // serial number, then two traces
    acq().Timer1_Timer();    // the third

    sim::Options o;
    o.seed = 7;
    sim::Engine expected(o);
    expected.CleanBlock();
    expected.CleanBlock();
    const auto block = expected.CleanBlock();
    for (int n = 0; n < 499; ++n)
        ASSERT_EQ(acq().Live()[n], block[16 + 2 * n] + 256 * block[17 + 2 * n]) << n;
    EXPECT_EQ(acq().Live()[499], 0);
    // The simulator starts at 80 MHz, 10MHZ/DIV, 0 dBm.
    EXPECT_EQ(basicUi().txtCenterFreq->text(), "80.000");
    EXPECT_EQ(basicUi().cboSpan->currentText(), "10MHZ/DIV");
    EXPECT_EQ(basicUi().cboRefLevel->currentText(), "0");
    EXPECT_EQ(basicUi().cboRBW->currentText(), "4MHZ");
    EXPECT_FALSE(basicUi().updRBW->isEnabled());
    EXPECT_GT(display.RedrawCount(), 1);
}

// A block that fails its checks carries no settings: Start keeps what the panel shows.
TEST_F(PanelTest, StartAfterAFailedFetchKeepsThePanel)
{
    OperationFile saved = DefaultOperation();
    saved.SavedCenterFreq = "433.920";
    saved.SavedSpan = "1MHZ/DIV";
    saved.SavedRefLevel = "-20";
    ASSERT_TRUE(SaveOperation(LogPath(), saved));
    StartSim({"--no-pace", "--bad-points", "1"});
    Load();
    acq().cmdStart_Click();
    EXPECT_EQ(basicUi().txtCenterFreq->text(), "433.920");
    EXPECT_EQ(basicUi().cboSpan->currentText(), "1MHZ/DIV");
    EXPECT_EQ(basicUi().cboRefLevel->currentText(), "-20");
}

TEST_F(PanelTest, AveragingFreezeAndTheirCaptions)
{
    StartSim({"--no-pace"});
    settings.AverageCount = 8;
    Load();
    acq().cmdStart_Click();
    acq().cmdAVG_Click();
    EXPECT_EQ(acqUi().cmdAVG->text(), "AVG OFF");
    EXPECT_EQ(acq().Average().Count(), 4) << "the count comes from Tavrin.Log (default 4 when there is none)";
    acq().Timer1_Timer();
    acq().Timer1_Timer();
    EXPECT_EQ(acq().Average().Fill(), 2);

    acq().cmdFreeze_Click();
    EXPECT_FALSE(acq().Running());
    EXPECT_FALSE(acq().AveragingOn());
    EXPECT_FALSE(acq().Timer1().isActive());
    EXPECT_EQ(acqUi().cmdAVG->text(), "AVG  ON");
    EXPECT_EQ(acqUi().cmdStart->text(), "Start");
    EXPECT_EQ(acq().Live(), dll.Trace().points) << "one fresh, unaveraged trace stays";
}

TEST_F(PanelTest, TheTickNeverRunsInsideItself)
{
    StartSim({"--no-pace"});
    Load();
    acq().cmdStart_Click();
    int depth = 0, deepest = 0, fetches = 0;
    dll.SetEventPump([&] {
        ++fetches;
        ++depth;
        deepest = std::max(deepest, depth);
        if (depth == 1)
            acq().Timer1_Timer();  // a timer firing while the tick serves events
        --depth;
    });
    acq().Timer1_Timer();
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(fetches, 1);
}

TEST_F(PanelTest, APulledLineStopsTheAcquisitionInsteadOfHanging)
{
    StartSim({"--no-pace", "--disconnect-after", "3"});
    Load();
    acq().cmdStart_Click();
    acq().Timer1().stop();  // ticks by hand only
    acq().Timer1_Timer();
    const LiveTrace last = acq().Live();
    const auto t0 = std::chrono::steady_clock::now();
    while (!sim.Exited() && MsSince(t0) < 3000)
        QTest::qWait(10);
    ASSERT_TRUE(sim.Exited());
    const auto t1 = std::chrono::steady_clock::now();
    acq().Timer1_Timer();
    EXPECT_LT(MsSince(t1), 500);
    EXPECT_FALSE(acq().Running());
    EXPECT_FALSE(acq().Timer1().isActive());
    EXPECT_EQ(acqUi().cmdStart->text(), "Start");
    EXPECT_EQ(acq().Live(), last) << "the last trace stays on screen";
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Communication Error!");
}

TEST_F(PanelTest, SavedSettingsAreRestoredAndTheSavedPortSelected)
{
    OperationFile saved = DefaultOperation();
    saved.ComPortSetting = 3;
    saved.SavedCenterFreq = "  433.920 ";
    saved.SavedSpan = "0HZ/DIV";
    saved.SavedRefLevel = "-20";
    saved.SavedRbw = "30KHZ";
    saved.SavedMarkers[2] = "434.000";
    ASSERT_TRUE(SaveOperation(LogPath(), saved));
    StartSim({"--no-pace", "--serial", "00042"}, 3);
    home.LinkPort(1, home.Path() + "/absent");
    Load();
    EXPECT_EQ(basicUi().txtCenterFreq->text(), "433.920");
    EXPECT_EQ(basicUi().cboSpan->currentText(), "0HZ/DIV");
    EXPECT_EQ(basicUi().updSpan->Position(), 0);
    EXPECT_TRUE(basicUi().updRBW->isEnabled());
    EXPECT_EQ(basicUi().cboRefLevel->currentText(), "-20");
    EXPECT_EQ(basicUi().updRefLevel->Position(), 1);
    EXPECT_EQ(basicUi().cboRBW->currentText(), "30KHZ");
    EXPECT_EQ(markerUi().txtMKR[2]->text(), "434.000");
    EXPECT_EQ(panel->Record().Controls().cmdPlayRecord->isEnabled(), false);
    EXPECT_EQ(basicUi().cboSpan->count(), 16);
    EXPECT_EQ(dll.ComPort(), 3);
    EXPECT_EQ(dll.SerialNumText(), "42") << "the library is on COM3";
}

TEST_F(PanelTest, UnknownSavedCaptionsShowRowZeroAndTheSpinnersStandOnTheShownRow)
{
    home.LinkPort(1, home.Path() + "/absent");
    OperationFile saved = DefaultOperation();
    saved.SavedSpan = "XYZ";
    saved.SavedRefLevel = "7";
    saved.SavedRbw = "220khz";
    saved.SavedCenterFreq = "";
    ASSERT_TRUE(SaveOperation(LogPath(), saved));
    Load();
    EXPECT_EQ(basicUi().cboSpan->currentText().toStdString(), "0HZ/DIV");
    EXPECT_EQ(basicUi().cboRefLevel->currentText().toStdString(), "-30");
    EXPECT_EQ(basicUi().cboRBW->currentText().toStdString(), "220KHZ");
    EXPECT_EQ(basicUi().txtCenterFreq->text().toStdString(), "80.000") << "an empty saved text keeps the panel's own";
    basicUi().updRBW->ClickUp();
    EXPECT_EQ(basicUi().cboRBW->currentText().toStdString(), "4MHZ") << "the first click moves from the shown row";
}

TEST_F(PanelTest, AnActivationBeforeTheLoadDoesNothing)
{
    home.LinkPort(1, home.Path() + "/absent");
    panel = std::make_unique<FrmMain>(FrmMain::Services{dll, dialogs, settings, display, LogPath(),
                                                        [](int) { return true; }, [] {}});
    panel->FormActivate();
    EXPECT_FALSE(panel->Activated());
    EXPECT_TRUE(dialogs.messages.empty());
    panel->FormLoad();
    panel->FormActivate();
    EXPECT_TRUE(panel->Activated());
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(PanelTest, APortHeldElsewhereIsReportedAndNotSelectedAndActivationRunsOnce)
{
    portBusy = true;
    Load();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Communication port 1 is used for another application.");
    EXPECT_EQ(dll.ComPort(), 0);

    QComboBox *span = basicUi().cboSpan;
    span->addItem("extra");
    panel->FormActivate();
    EXPECT_EQ(span->count(), 17) << "a second activation does not refill the lists";
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(PanelTest, QuitAndClosingThePanelSaveTheSettings)
{
    home.LinkPort(1, home.Path() + "/absent");
    Load();
    const_cast<QLineEdit *>(basicUi().txtCenterFreq)->setText("123.456");
    const_cast<QLineEdit *>(markerUi().txtMKR[4])->setText("99.5");
    panel->cmdQuit_Click();
    EXPECT_EQ(quits, 1);
    OperationFile read = DefaultOperation();
    ASSERT_EQ(LoadOperation(LogPath(), read).status, LoadStatus::Loaded);
    EXPECT_EQ(read.SavedCenterFreq, "123.456");
    EXPECT_EQ(read.SavedMarkers[4], "99.5");
    EXPECT_EQ(read.SavedSpan, "10MHZ/DIV");
    EXPECT_EQ(read.AverageCount, 4) << "first-start defaults are written";

    std::filesystem::remove(LogPath());
    panel = nullptr;
    Load();
    const_cast<QLineEdit *>(basicUi().txtCenterFreq)->setText("7.000");
    panel->close();
    EXPECT_EQ(quits, 2);
    ASSERT_EQ(LoadOperation(LogPath(), read).status, LoadStatus::Loaded);
    EXPECT_EQ(read.SavedCenterFreq, "7.000");
}

TEST_F(PanelTest, ADroppedLabelSetsItsMarkerToThePointUnderIt)
{
    home.LinkPort(1, home.Path() + "/absent");
    Load();
    const_cast<QLineEdit *>(basicUi().txtCenterFreq)->setText("100.000");
    basic().SetSpanPosition(9);  // 1MHZ/DIV: 0.02 MHz per point
    ASSERT_EQ(basicUi().cboSpan->currentText(), "1MHZ/DIV");
    struct Case {
        int label;
        double x;
        const char *text;
    };
    const Case cases[] = {{1, 300.4, "100.980"}, {0, -20, "94.980"}, {2, 600, "104.940"},
                          {3, std::nan(""), "94.980"}, {4, 250.5, "99.980"}};
    for (const Case &c : cases) {
        const int before = display.RedrawCount();
        display.DropLabel(c.label, c.x, 500);
        EXPECT_EQ(markerUi().txtMKR[static_cast<size_t>(c.label)]->text(), c.text) << c.x;
        EXPECT_GT(display.RedrawCount(), before);
    }
}

}  // namespace
