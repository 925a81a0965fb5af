// The session on the real library against the simulator, paced like the 57600-baud line, where
// the timing on the wire is the point: a setting clicked while a block is on the line goes out
// right after that block, and a modal dialog open meanwhile holds nothing up.
#include "instrument/library_instrument.h"
#include "session/qt_timers.h"
#include "session/session.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

#include <QEventLoop>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace tavrin;
using namespace tavrin::test;

namespace {

class WireTest : public ::testing::Test {
protected:
    void Start(const std::vector<std::string> &args)
    {
        std::string error;
        ASSERT_TRUE(sim.Start(1, args, error)) << error;
        session.Line().SelectPort(1);
        session.Start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return traces >= 2; }, 5000));
    }

    TempConfigHome home;
    std::string log = home.Path() + "/rx.log";
    SimProcess sim;
    LibraryInstrument instrument{TAVRIN_LIBRARY_PATH};
    QtTimers timers;
    Session session{{instrument, timers, [] { return std::time(nullptr); }, [](int p) { return GatherPortFacts(p); },
                     PortTargetText, [this] { return home.Path() + "/failures.csv"; }, {}}};
    int traces = 0;
    TraceBus::Connection count = session.Bus().Connect([this](const TracePtr &) { ++traces; });
};

TEST_F(WireTest, ASettingClickedDuringABlockGoesOutAfterItNeverIntoIt)
{
    Start({"--log", log});
    // Once a request is on the line, well inside its block.
    ASSERT_TRUE(QTest::qWaitFor([&] { return instrument.Busy(); }, 1000));
    QTest::qWait(60);
    session.Settings().ChooseRefLevel(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !session.Line().JobsPending(); }, 5000));
    session.Stop();
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
    EXPECT_TRUE(session.Settings().LastApply().confirmed);
}

// A modal dialog runs an event loop of its own: the replies come through it, so traces keep
// coming at the line's rate and the line is told as acquiring.
TEST_F(WireTest, AModalDialogHoldsNothingUp)
{
    Start({});
    QTest::qWait(1000);
    const int before = traces;
    std::vector<LinkState> seen;
    QEventLoop modal;  // as QDialog::exec runs one
    for (int ms : {700, 1400, 2000})
        QTimer::singleShot(ms, &modal, [&] {
            seen.push_back(session.Status().state);
            if (seen.size() == 3)
                modal.quit();
        });
    modal.exec();
    EXPECT_EQ(seen, std::vector<LinkState>(3, LinkState::Acquiring));
    EXPECT_GE(traces - before, 10) << "5.6 traces a second on the paced line";
    session.Stop();
    // The line was reached through COM1's link: once that is gone, so says the status bar, not
    // the built-in port the name now falls back to.
    EXPECT_EQ(session.Status().device.rfind("/dev/pts/", 0), 0u) << session.Status().device;
    sim.Stop();
    EXPECT_EQ(session.Status().device, "its link is gone (device missing)");
}

}  // namespace
