// The panel on a line that is busy, goes silent, hangs up or talks garbage: the window answers at
// once and the program recovers without a restart.
#include "support/panel_fixture.h"

#include <QTest>
#include <QTimer>

#include <fstream>
#include <sstream>

using namespace tavrin;
using namespace tavrin::test;

namespace {

// A spinner click while a trace request waits is handled at once; its frame goes out after the
// request in flight, never into it.
TEST_F(PanelTest, AClickDuringAFetchIsHandledAtOnceAndQueuedBehindIt)
{
    StartSim({});  // paced: a trace takes about 180 ms
    Load();
    Click("cmdStart");
    int inFlight = 0;  // probe ticks since the request on the line went out
    bool clicked = false;
    QTimer probe;  // timers run inside the wait of a fetch
    QObject::connect(&probe, &QTimer::timeout, [&] {
        inFlight = dll.CallInFlight() ? inFlight + 1 : 0;
        if (inFlight == 10 && !std::exchange(clicked, true))  // once, well inside the block
            Find<Spinner>("updRefLevel")->ClickDown();
    });
    probe.start(5);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Find<QComboBox>("cboRefLevel")->currentText() == "-10" && basic().LastApplyReads(); }, 3000));
    Click("cmdStart");
    // The level frame's first byte comes a whole paced block (about 180 ms) after the request
    // before it, never in the middle of that block.
    std::ifstream in(log);  // lines of "<time> RX <hex bytes>"
    std::string line, byte, last;
    double time = 0, request = 0, frame = 0;
    while (!frame && std::getline(in, line)) {
        std::istringstream fields(line);
        fields >> time >> byte;
        while (!frame && fields >> byte) {
            request = byte == "A5" ? time : request;
            frame = last == "55" && byte == "4C" ? time : 0;
            last = byte;
        }
    }
    EXPECT_GT(frame - request, 0.15);
}

TEST_F(PanelTest, StopDuringASilentLineWaitTakesEffectAtOnce)
{
    StartSim({"--no-pace", "--silent-after", "3"});
    Load();
    Click("cmdStart");
    double stopMs = -1;
    QTimer::singleShot(1500, [&] {  // by then a request waits on the line, for seconds
        EXPECT_TRUE(dll.CallInFlight()) << "stopped while the request still waits";
        const auto t0 = std::chrono::steady_clock::now();
        QTest::mouseClick(Find("cmdStart"), Qt::LeftButton);
        stopMs = MsSince(t0);
        dll.Abandon();
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return stopMs >= 0; }, 5000));
    EXPECT_LT(stopMs, 200);
    EXPECT_FALSE(acq().Running());
    EXPECT_EQ(Find("cmdStart")->text(), "Start");
    EXPECT_TRUE(dialogs.messages.empty()) << "a stop by the user is no lost line";
}

// The simulator hangs up (an adapter pulled out) and comes back under the same COM port.
TEST_F(PanelTest, StartWorksAgainAfterTheLineHungUpAndCameBack)
{
    StartSim({"--no-pace", "--hangup-after", "3", "--return-after", "0.5"});
    Load();
    Click("cmdStart");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !acq().Running(); }, 5000));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Communication Error!");
    EXPECT_FALSE(timer1().isActive());
    EXPECT_NE(acq().Live(), LiveTrace{}) << "the last trace stays on screen";
    QTest::qWait(800);
    Click("cmdStart");
    EXPECT_TRUE(acq().Running());
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(PanelTest, ALineThatSendsOnlyGarbageIsReportedOnceAndStops)
{
    StartSim({"--no-pace", "--bad-points", "1"});
    Load();
    Click("cmdStart");
    ASSERT_TRUE(acq().Running());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !acq().Running(); }, 6000));
    QTest::qWait(200);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find("No valid trace"), std::string::npos);
}

}  // namespace
