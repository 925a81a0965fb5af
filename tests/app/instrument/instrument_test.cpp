// The instrument on the real library, against a scripted analyzer on a pseudo-terminal: the trace
// fetch with its retries, requests queued in order and answered later on the asking thread, and
// a request on a silent line that neither holds the program nor reaches the line once cancelled.
#include "instrument/library_instrument.h"
#include "instrument/trace_block.h"
#include "support/pty_peer.h"
#include "support/temp_dir.h"

#include <QCoreApplication>
#include <QTest>
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
    InstrumentTest()
    {
        home.LinkPort(2, peer.DevicePath());
        bool selected = false;
        instrument->SelectPort(2, [&](const PortSelected &) { selected = true; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return selected; }, 5000));
    }
    Fetched FetchNow()
    {
        std::optional<Fetched> got;
        instrument->Fetch([&](const Fetched &f) { got = f; });
        EXPECT_FALSE(got) << "a reply never comes inside the call";
        EXPECT_TRUE(QTest::qWaitFor([&] { return got.has_value(); }, 30000));
        return got.value_or(Fetched{});
    }

    TempConfigHome home;
    PtyPeer peer;
    std::unique_ptr<LibraryInstrument> instrument = std::make_unique<LibraryInstrument>(TAVRIN_LIBRARY_PATH);
};

// Invalid blocks (a point above 1023 from point 0 to 498; point 499 is never read) fetched again,
// but not forever; a failed checksum with valid points accepted; a line that sends nothing (the
// library marks missing bytes 0xFF) asked once. Each block that failed a check counts as rejected.
TEST_F(InstrumentTest, AFetchRetriesInvalidBlocksAndGivesUp)
{
    Bytes badSum = Flat(321);
    badSum[1016] ^= 0x55;
    struct Case { std::vector<Bytes> blocks; FetchOutcome outcome; int16_t point; unsigned attempts, rejected; };
    const Case cases[] = {
        {{badSum}, FetchOutcome::Trace, 321, 1, 1},
        {{Flat(8, 499)}, FetchOutcome::Trace, 8, 1, 0},
        {{Flat(7, 0), Flat(7, 498), Flat(600)}, FetchOutcome::Trace, 600, 3, 2},
        {{Flat(5, 300)}, FetchOutcome::Garbled, 0, 5, 5},  // never a valid one
        {{Bytes(1017, 0xFF)}, FetchOutcome::Silent, 0, 1, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.attempts);
        peer.SetResponder(PtyPeer::Traces(c.blocks));
        const Fetched f = FetchNow();
        EXPECT_EQ(f.outcome, c.outcome);
        EXPECT_EQ(std::tuple(f.attempts, f.rejected), std::tuple(c.attempts, c.rejected));
        EXPECT_EQ(std::tuple(f.points[10], f.points[498], f.points[499]), std::tuple(c.point, c.point, int16_t{0}));
        if (c.outcome == FetchOutcome::Trace) {
            EXPECT_EQ(f.settings, (AnalyzerSettings{80.0, "10MHZ/DIV", 0, "4MHZ"}));
        }
    }
}

// Requests go out in the order asked, one at a time, each answered once; a cancelled one that is
// still queued never reaches the line, and one on a silent line is neither waited for nor answered.
TEST_F(InstrumentTest, RequestsGoOutInOrderAndACancelledOneNeverAnswers)
{
    peer.SetResponder(PtyPeer::Traces({Flat(100)}));
    std::vector<std::string> replies;
    instrument->Send(CenterCommand(433.92), [&](const bool &) { replies.push_back("F"); });
    const RequestId dropped = instrument->Send(SpanCommand("1MHZ/DIV"), [&](const bool &) { replies.push_back("S"); });
    instrument->Fetch([&](const Fetched &) { replies.push_back("T"); });
    instrument->Cancel(dropped);
    ASSERT_TRUE(QTest::qWaitFor([&] { return replies.size() == 2; }, 5000));
    EXPECT_EQ(replies, (std::vector<std::string>{"F", "T"}));
    EXPECT_EQ(peer.Received(), Join({ToBytes("UF0433920"), {0xA5}}));

    peer.SetResponder(PtyPeer::Silent());
    peer.ClearReceived();
    bool answered = false;
    const RequestId stuck = instrument->Fetch([&](const Fetched &) { answered = true; });
    const auto t0 = std::chrono::steady_clock::now();
    QTest::qWait(100);
    EXPECT_TRUE(instrument->Busy());
    ASSERT_TRUE(instrument->FreeBy());
    EXPECT_GT(*instrument->FreeBy() - std::chrono::steady_clock::now(), std::chrono::seconds(15))
        << "a silent line's time-outs are told";
    instrument->Cancel(stuck);
    instrument->Send(CenterCommand(80), {});
    instrument.reset();
    EXPECT_LT(MsSince(t0), 1000) << "the stuck call is not waited for";
    QTest::qWait(50);
    EXPECT_FALSE(answered);
    EXPECT_EQ(peer.Received(), Bytes{0xA5}) << "nothing more reached the line";
}

// A serial number read from the tail of a block still arriving (bytes that are no digits) is
// asked again, so the analyzer is known by its own number.
// The rest of a block another program asked for is still arriving for a block's time (177 ms):
// the serial number is asked again once it has passed.
TEST_F(InstrumentTest, ASerialNumberOfNoDigitsIsAskedAgainOnceTheBlockOnTheLineHasPassed)
{
    int asked = 0;
    std::optional<std::chrono::steady_clock::time_point> first;
    peer.SetResponder([&](uint8_t byte, const Bytes &) {
        if (byte != 'j')
            return Bytes{};
        ++asked;
        const auto now = std::chrono::steady_clock::now();
        if (!first)
            first = now;
        return now - *first < std::chrono::milliseconds(177) ? Bytes{0xA5, 0x7F, 0x33, 0x41, 0x30} : ToBytes("12345");
    });
    std::optional<LinkCheck> check;
    instrument->CheckLink([&](const LinkCheck &c) { check = c; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return check.has_value(); }, 5000));
    EXPECT_EQ(check->serial, "12345");
    EXPECT_TRUE(check->answers);
    EXPECT_EQ(asked, 2);
}

}  // namespace
