// The panel on a line that is busy, goes silent, hangs up or talks garbage: the window answers at
// once and the program recovers without a restart.
#include "panel_fixture.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <optional>

using namespace tavrin;
using namespace tavrin::test;

namespace {

// Waits with the event loop running until done() or the time is up.
template <typename Done>
bool WaitFor(Done done, int ms)
{
    const auto t0 = std::chrono::steady_clock::now();
    while (!done() && MsSince(t0) < ms)
        QTest::qWait(5);
    return done();
}

// A spinner click while a trace request waits is handled at once; its frame goes out after the
// request in flight, never into it.
TEST_F(PanelTest, AClickDuringAFetchIsHandledAtOnceAndQueuedBehindIt)
{
    const std::string log = home.Path() + "/rx.log";
    StartSim({"--log", log});  // paced: a trace takes about 180 ms
    Load();
    acq().cmdStart_Click();
    // Timers run inside the wait of a fetch: the probe clicks while one is in flight.
    bool clicked = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!clicked && dll.CallInFlight()) {
            clicked = true;
            basicUi().updRefLevel->ClickDown();
        }
    });
    probe.start(5);
    ASSERT_TRUE(WaitFor([&] { return basicUi().cboRefLevel->currentText() == "-10" && basic().LastApplyReads(); }, 3000));
    acq().cmdStart_Click();
    const std::vector<std::string> sent = LoggedCommands(log);
    const auto level = std::find(sent.begin(), sent.end(), "L2");
    ASSERT_NE(level, sent.end());
    EXPECT_EQ(*(level - 1), "T") << "after the request in flight";
}

TEST_F(PanelTest, StopDuringASilentLineWaitTakesEffectAtOnce)
{
    StartSim({"--no-pace", "--silent-after", "3"});
    Load();
    acq().cmdStart_Click();
    // Clicks Stop once a request has waited 400 ms: on this line only a silent one does.
    std::optional<std::chrono::steady_clock::time_point> since;
    double stopMs = -1;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!dll.CallInFlight() || stopMs >= 0) {
            since.reset();
            return;
        }
        if (!since)
            since = std::chrono::steady_clock::now();
        if (MsSince(*since) < 400)
            return;
        const auto t0 = std::chrono::steady_clock::now();
        QTest::mouseClick(acqUi().cmdStart, Qt::LeftButton);
        stopMs = MsSince(t0);
        EXPECT_TRUE(dll.CallInFlight()) << "stopped while the request still waits";
        dll.Abandon();
    });
    probe.start(10);
    ASSERT_TRUE(WaitFor([&] { return stopMs >= 0; }, 5000));
    EXPECT_LT(stopMs, 200);
    EXPECT_FALSE(acq().Running());
    EXPECT_EQ(acqUi().cmdStart->text(), "Start");
    EXPECT_TRUE(dialogs.messages.empty()) << "a stop by the user is no lost line";
}

// The simulator hangs up (an adapter pulled out) and comes back under the same COM port.
TEST_F(PanelTest, StartWorksAgainAfterTheLineHungUpAndCameBack)
{
    StartSim({"--no-pace", "--hangup-after", "3", "--return-after", "0.5"});
    Load();
    acq().cmdStart_Click();
    ASSERT_TRUE(WaitFor([&] { return !acq().Running(); }, 5000));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Communication Error!");
    QTest::qWait(800);
    acq().cmdStart_Click();
    EXPECT_TRUE(acq().Running());
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

// Started before the instrument: the failed check opens the port afresh at the next Start.
TEST_F(PanelTest, StartWorksOnceTheInstrumentIsThereAfterAFailedCheck)
{
    Load();
    acq().cmdStart_Click();
    EXPECT_FALSE(acq().Running());
    StartSim({"--no-pace"});
    acq().cmdStart_Click();
    EXPECT_TRUE(acq().Running());
}

TEST_F(PanelTest, ALineThatSendsOnlyGarbageIsReportedOnceAndStops)
{
    StartSim({"--no-pace", "--bad-points", "1"});
    Load();
    acq().cmdStart_Click();
    ASSERT_TRUE(acq().Running());
    EXPECT_TRUE(WaitFor([&] { return !acq().Running(); }, 6000));
    QTest::qWait(200);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find("No valid trace"), std::string::npos);
}

}  // namespace
