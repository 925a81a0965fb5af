// The instrument module on the real library, against a scripted instrument on a pseudo-terminal:
// the trace fetch, and waits on a silent line that end at once when the program leaves.
#include "instrument/tavrin_dll.h"
#include "support/fake_dialogs.h"
#include "support/pty_peer.h"
#include "support/temp_dir.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tavrin;
using namespace tavrin::test;

namespace {

// A block whose points all hold value, except point `bad`, which is out of range.
Bytes Flat(int value, int bad = -1)
{
    return TraceBlock([=](int n) { return static_cast<uint16_t>(n == bad ? 1024 : value); });
}

class InstrumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        home.LinkPort(1, home.Path() + "/absent");
        home.LinkPort(2, peer.DevicePath());
        dll->SetEventPump([this] { ++pumped; });
        dll->SelectComPort(2);
    }
    // Starts a trace fetch on a silent line, lets `leave` run 50 ms into it, and checks that the
    // fetch and then the module's end come quickly although the library is still reading.
    void LeaveDuringAFetchOnASilentLine(const std::function<void()> &leave)
    {
        peer.SetResponder(PtyPeer::Silent());
        peer.ClearReceived();
        bool inFlight = false;
        QTimer::singleShot(50, [&] {
            inFlight = dll->CallInFlight();
            leave();
        });
        auto t0 = std::chrono::steady_clock::now();
        EXPECT_FALSE(dll->FetchTrace());
        EXPECT_LT(MsSince(t0), 400);
        EXPECT_TRUE(inFlight);
        EXPECT_FALSE(dll->LastFetchSilent()) << "leaving is not a lost line";
        t0 = std::chrono::steady_clock::now();
        dll->SendCenterFreq(80);
        dll->Pause(1000);
        EXPECT_EQ(dll->SerialNumText(), "999999");
        EXPECT_LT(MsSince(t0), 100) << "nothing waits any more";
        dll.reset();
        EXPECT_LT(MsSince(t0), 1000) << "the stuck call is not waited for";
        EXPECT_EQ(peer.Received(), Bytes{0xA5}) << "nothing more reached the line";
    }

    TempConfigHome home;
    PtyPeer peer;
    FakeDialogs dialogs;
    std::unique_ptr<TavrinDLL> dll = std::make_unique<TavrinDLL>(dialogs);
    int pumped = 0;
};

// Invalid blocks (a point above 1023 from point 0 to 498; point 499 is never read) fetched again
// with events served after every request, but not forever; a failed checksum with valid points
// accepted; a line that sends nothing (the library marks missing bytes 0xFF) asked once. A failed
// fetch keeps the last points. Each block that failed a check counts as rejected, a silent request
// as a time-out.
TEST_F(InstrumentTest, FetchTraceRetriesAndGivesUp)
{
    EXPECT_EQ(ElapsedMs(5, 0xFFFFFFF0u), 21u) << "a pause counts across a wrap of the millisecond counter";
    Bytes badSum = Flat(321);
    badSum[1016] ^= 0x55;
    struct Case { std::vector<Bytes> blocks; bool ok; int16_t point; int attempts; bool silent; unsigned rejected, timeouts; };
    const Case cases[] = {
        {{badSum}, true, 321, 1, false, 1, 0},
        {{Flat(8, 499)}, true, 8, 1, false, 0, 0},
        {{Flat(7, 0), Flat(7, 498), Flat(600)}, true, 600, 3, false, 2, 0},
        {{Flat(5, 300)}, false, 600, 5, false, 5, 0},  // never a valid one
        {{Bytes(1017, 0xFF)}, false, 600, 1, true, 0, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.point);
        peer.SetResponder(PtyPeer::Traces(c.blocks));
        pumped = 0;
        const LineCounts before = dll->Counts();
        EXPECT_EQ(dll->FetchTrace(), c.ok);
        EXPECT_EQ(dll->LastFetchSilent(), c.silent);
        EXPECT_EQ(pumped, c.attempts);
        EXPECT_EQ(dll->Trace().points[10], c.point);
        EXPECT_EQ(dll->Trace().points[498], c.point);
        EXPECT_EQ(dll->Trace().points[499], 0);
        EXPECT_EQ(dll->Counts().rejected - before.rejected, c.rejected);
        EXPECT_EQ(dll->Counts().timeouts - before.timeouts, c.timeouts);
    }
}

TEST_F(InstrumentTest, AbandonEndsAWaitOnASilentLine)
{
    LeaveDuringAFetchOnASilentLine([this] { dll->Abandon(); });
}

TEST_F(InstrumentTest, TheApplicationQuittingEndsAWaitOnASilentLine)
{
    LeaveDuringAFetchOnASilentLine([] { QCoreApplication::exit(0); });
    // Leave the application able to run event loops again, for the tests after this one.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

}  // namespace
