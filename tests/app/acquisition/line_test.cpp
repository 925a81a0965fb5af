// The panel on a line that is busy, goes silent, hangs up or talks garbage: the window answers at
// once and the program recovers without a restart.
#include "record/record_file.h"
#include "shell/link_status_bar.h"
#include "support/panel_fixture.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

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

class LineTest : public PanelTest {
protected:
    LinkState State() { return acq().Status().state; }
    uintmax_t Records() { return std::filesystem::file_size(file) / kRecordBytes; }
    void RestartSim() { sim.Stop(), StartSim({"--no-pace"}); }
    std::string file = home.Path() + "/run.spf";
};

// The cable pulled and plugged back, the instrument gone and switched on again, the instrument
// mute and switched off and on: no message, nothing recorded while no trace comes, the
// acquisition and the recording going on by themselves, every record whole, the gap in the times.
TEST_F(LineTest, ARecordingSurvivesALostLineAndTheAcquisitionResumesByItself)
{
    struct Case { std::vector<std::string> sim; bool restart; };
    const Case cases[] = {{{"--no-pace", "--hangup-after", "20", "--return-after", "3"}, false},
                          {{"--no-pace", "--disconnect-after", "20"}, true},
                          {{"--no-pace", "--silent-after", "20"}, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sim[1]);
        sim.Stop();
        StartSim(c.sim);
        Load();
        Click("cmdStart");
        settings.RecordTime = "Continuous", settings.RecordInterval = "0.2", dialogs.files = {file};
        std::filesystem::remove(file);
        Click("cmdRecord");
        // Watched from a timer: while a request waits on the line the test's own wait is not
        // served, the program's is.
        uintmax_t atLoss = 0;
        std::optional<std::chrono::steady_clock::time_point> lost;
        bool replugged = false;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            if (!lost && (State() == LinkState::LineLost || State() == LinkState::Reconnecting))
                lost = std::chrono::steady_clock::now(), atLoss = Records();
            if (lost && !replugged && MsSince(*lost) > 2000) {
                EXPECT_EQ(Records(), atLoss) << "no entry while no trace comes";
                replugged = true;
                if (c.restart)
                    RestartSim();
            }
        });
        probe.start(10);
        EXPECT_TRUE(QTest::qWaitFor([&] { return replugged && Records() >= atLoss + 5; }, 15000))
            << "resumed without a click";
        EXPECT_EQ(State(), LinkState::Acquiring);
        Click("cmdRecord");
        RecordTable table;
        ASSERT_TRUE(LoadRecordFile(file, table).ok && table.size() == Records());
        double gap = 0;
        for (size_t i = 0; i < table.size(); ++i) {
            EXPECT_EQ(std::tuple(table[i].centerFreqMHz, FieldText(table[i].spanCaption), FieldText(table[i].rbwCaption)),
                      std::tuple(80.0, "10MHZ/DIV   ", "4MHZ    ")) << i;
            gap = std::max(gap, i ? (table[i].time - table[i - 1].time) * 86400 : 0);
        }
        EXPECT_GT(gap, 1.5) << "the gap shows in the record times";
        EXPECT_TRUE(dialogs.messages.empty());
        Click("cmdStart");
    }
}

// Said in the status bar within a second and a half of the last trace; Stop, the instrument off
// and on, and the first Start works.
TEST_F(LineTest, ASilentLineShowsAtOnceAndTheNextStartWorksTheFirstTime)
{
    StartSim({"--no-pace", "--silent-after", "10"});
    Load();
    LinkStatusBar bar([this] { return acq().Status(); });
    Click("cmdStart");
    unsigned traces = 0;
    auto lastTrace = std::chrono::steady_clock::now();
    double noAnswerMs = -1;  // after the last trace
    QTimer probe;            // served inside the wait of the request on the silent line
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (acq().TracesTaken() != traces)
            traces = acq().TracesTaken(), lastTrace = std::chrono::steady_clock::now();
        if (noAnswerMs < 0 && bar.text().contains("no answer")) {
            noAnswerMs = MsSince(lastTrace);
            Click("cmdStart");
            RestartSim();  // the instrument switched off and on
        }
    });
    probe.start(10);
    ASSERT_TRUE(QTest::qWaitFor([&] { return noAnswerMs >= 0 && !dll.CallInFlight(); }, 8000));
    EXPECT_LT(noAnswerMs, 1500);
    EXPECT_GT(traces, 5u);
    Click("cmdStart");
    EXPECT_TRUE(acq().Running() && dialogs.messages.empty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar.text().contains("acquiring"); }, 1000));
}

// A modal window opened while a fetch waits holds the tick until it closes: the status says the
// acquisition is paused, not that the line is silent or lost, and traces come again afterwards.
TEST_F(LineTest, AWindowOpenedDuringAFetchPausesWithoutBlamingTheLine)
{
    StartSim({});  // paced: the request stays in flight for about 180 ms
    Load();
    Click("cmdStart");
    std::vector<LinkState> seen;
    bool opened = false;
    QTimer probe;  // served inside the wait of the fetch
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!dll.CallInFlight() || std::exchange(opened, true))
            return;
        QEventLoop modal;  // as QDialog::exec runs one
        for (int ms : {500, 1500, 3500})
            QTimer::singleShot(ms, Qt::PreciseTimer, &modal, [&] {
                seen.push_back(acq().Status().state);
                if (seen.size() == 3)
                    modal.quit();
            });
        modal.exec();
    });
    probe.start(5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.size() == 3; }, 6000));
    probe.stop();
    EXPECT_EQ(seen, (std::vector{LinkState::Acquiring, LinkState::Paused, LinkState::Paused}));
    const unsigned before = acq().TracesTaken();
    EXPECT_TRUE(QTest::qWaitFor([&] { return acq().TracesTaken() >= before + 3; }, 2000));
    EXPECT_EQ(State(), LinkState::Acquiring);
    EXPECT_TRUE(dialogs.messages.empty());
    Click("cmdStart");
}

// Every second block with an invalid point, or every block with a wrong checksum (the library
// asks twice per trace then): half the requests on the line count as rejected.
TEST_F(LineTest, TheStatusCountsRejectedBlocks)
{
    for (const auto &fault : {std::pair{"--bad-points", "2"}, {"--corrupt-checksum", "1"}}) {
        SCOPED_TRACE(fault.first);
        sim.Stop();
        StartSim({"--no-pace", fault.first, fault.second});
        Load();
        Sent();
        Click("cmdStart");
        QTest::qWait(1000);
        EXPECT_EQ(State(), LinkState::Acquiring);
        EXPECT_GT(acq().Status().tracesPerSecond, 3);
        Click("cmdStart");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dll.CallInFlight(); }, 3000));
        const Commands sent = Sent();
        const LinkStatus status = acq().Status();
        EXPECT_EQ(status.rejected, static_cast<unsigned>(std::count(sent.begin(), sent.end(), "T") / 2));
        EXPECT_EQ(std::tuple(status.timeouts, status.state), std::tuple(0u, LinkState::Connected));
    }
}

// A line that answers with nothing usable is reopened like a lost one, without a message.
TEST_F(LineTest, ALineThatSendsOnlyGarbageIsReopenedWithoutAMessage)
{
    StartSim({"--no-pace", "--bad-points", "1"});
    Load();
    Click("cmdStart");
    EXPECT_TRUE(QTest::qWaitFor([&] { return State() == LinkState::Reconnecting; }, 6000));
    EXPECT_TRUE(acq().Running() && dialogs.messages.empty());
    EXPECT_GE(acq().Status().rejected, 15u);
}

}  // namespace
