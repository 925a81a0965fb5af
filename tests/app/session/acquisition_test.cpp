// The acquisition on the line in virtual time: requests back to back, Stop at once, a silent or
// garbled line told and recovered from, single traces.
#include "app/session/session_fixture.h"

using namespace tavrin;
using namespace tavrin::test;

namespace {

TEST_F(SessionTest, StartChecksTheLinkThenAsksForTheNextTraceAsSoonAsABlockIsIn)
{
    session.Start();
    EXPECT_EQ(State(), LinkState::Checking);
    clock.Advance(10s);
    const Commands sent = Sent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front(), "j");
    // 10 s of 177 ms blocks, none lost to a gap between a block and the next request.
    EXPECT_GE(traces.size(), 56u);
    EXPECT_EQ(State(), LinkState::Acquiring);
    for (size_t i = 1; i < traces.size(); ++i) {
        EXPECT_EQ(traces[i]->seq, traces[i - 1]->seq + 1);
        EXPECT_EQ(traces[i]->kind, TraceKind::Live);
    }
    EXPECT_EQ(traces.back()->settings, fake.settings);
    EXPECT_NEAR(session.Status().tracesPerSecond, 1000.0 / 177, 0.3);
}

TEST_F(SessionTest, StopTakesEffectAtOnceAndTheBlockOnTheLineIsDropped)
{
    StartAcquiring();
    clock.Advance(50ms);  // a block is on the line
    ASSERT_TRUE(fake.Busy());
    const size_t before = traces.size();
    session.Stop();
    EXPECT_FALSE(Running());
    clock.Advance(5s);
    EXPECT_EQ(traces.size(), before) << "the block that was on the line is not shown";
    EXPECT_TRUE(Sent().empty()) << "nothing more is asked";
    EXPECT_EQ(State(), LinkState::Connected);
}

TEST_F(SessionTest, StartWithNoAnalyzerChecksTwiceAndSaysWhy)
{
    fake.silent = true;
    session.Start();
    ASSERT_TRUE(Until([this] { return !problems.empty(); }));
    EXPECT_EQ(Sent(), (Commands{"j", "P1", "j"})) << "checked again on the port opened afresh";
    EXPECT_FALSE(Running());
    EXPECT_EQ(State(), LinkState::NotConnected);
    EXPECT_NE(problems[0].find("Warring: Communication Error!"), std::string::npos) << problems[0];
}

// A silent line after Stop: Start shows at once that it waits for the analyzer's last answer and
// for how long; Stop gives the Start up.
TEST_F(SessionTest, AStartBehindABlockOnASilentLineSaysItWaitsAndStopGivesItUp)
{
    fake.silentAfter = 3;
    StartAcquiring();
    ASSERT_TRUE(Until([this] { return fake.TracesSent() == 3 && fake.Busy(); }, 5s));
    session.Stop();
    session.Start();
    const LinkStatus status = session.Status();
    EXPECT_EQ(status.state, LinkState::Checking);
    EXPECT_NE(status.detail.find("waiting for the analyzer's answer, up to 22 s"), std::string::npos) << status.detail;
    session.Stop();
    EXPECT_NE(State(), LinkState::Checking);
    clock.Advance(60s);
    const Commands sent = Sent();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "j"), 0) << "the check never went out";
    EXPECT_TRUE(problems.empty());
}

// The line goes silent while acquiring: "no answer", then the port is reopened about once a
// second until the analyzer answers again, and the acquisition goes on by itself.
TEST_F(SessionTest, ASilentLineIsReopenedUntilTheAnalyzerAnswersAgain)
{
    fake.silentAfter = 5;
    StartAcquiring();
    ASSERT_TRUE(Until([this] { return State() == LinkState::NoAnswer; }, 3s));
    ASSERT_TRUE(Until([this] { return State() == LinkState::Reconnecting; }));
    clock.Advance(5s);
    const Commands retries = Sent();
    EXPECT_GE(std::count(retries.begin(), retries.end(), "j"), 3);
    fake.silentAfter = -1;
    const size_t before = traces.size();
    ASSERT_TRUE(Until([this] { return State() == LinkState::Acquiring; }, 3s));
    ASSERT_TRUE(Until([&] { return traces.size() > before + 3; }, 2s));
    EXPECT_TRUE(problems.empty()) << "nobody may be at the bench";
}

// Only garbage on the line: "no answer" within a second and a half of the last trace, "line lost"
// from three seconds, then reconnection; never anything else while the program asks.
TEST_F(SessionTest, ALineOfGarbageReadsNoAnswerThenLineLost)
{
    StartAcquiring();
    fake.garbled = true;
    std::vector<LinkState> seen;
    const auto start = clock.Ms();
    while (clock.Ms() - start < 3500) {
        clock.Advance(50ms);
        if (seen.empty() || seen.back() != State())
            seen.push_back(State());
    }
    EXPECT_EQ(seen, (std::vector<LinkState>{LinkState::Acquiring, LinkState::NoAnswer, LinkState::LineLost,
                                           LinkState::Reconnecting}));
    EXPECT_GT(session.Status().rejected, 10u);
}

TEST_F(SessionTest, ASingleTraceIsFreshAndTakenAsStartWouldWhileStopped)
{
    TracePtr got;
    std::string why;
    session.Single([&](const TracePtr &t, const std::string &w) { got = t, why = w; });
    ASSERT_TRUE(Until([&] { return got || !why.empty(); }, 2s));
    EXPECT_EQ(Sent(), (Commands{"j", "T"}));
    EXPECT_FALSE(Running());
    EXPECT_EQ(State(), LinkState::Connected) << "the check found the analyzer";
    // While acquiring: the block on the line and the one asked behind it were asked before, so
    // the one after them is the answer.
    StartAcquiring();
    clock.Advance(60ms);
    const uint64_t onTheLine = traces.back()->seq + 1;
    got = nullptr;
    session.Single([&](const TracePtr &t, const std::string &) { got = t; });
    ASSERT_TRUE(Until([&] { return got != nullptr; }, 2s));
    EXPECT_EQ(got->seq, onTheLine + 2);
    fake.silent = true;
    session.Stop();
    clock.Advance(2s);  // no trace for a while: the link is checked first
    why.clear();
    session.Single([&](const TracePtr &, const std::string &w) { why = w; });
    ASSERT_TRUE(Until([&] { return !why.empty(); }));
    EXPECT_NE(why.find("Communication Error!"), std::string::npos) << why;
}

TEST_F(SessionTest, FreezeShowsOneMoreUnaveragedTraceAndStops)
{
    StartAcquiring();
    session.SetAveraging(true);
    clock.Advance(1s);
    const size_t before = traces.size();
    session.Freeze();
    clock.Advance(2s);
    EXPECT_FALSE(Running());
    EXPECT_FALSE(session.AveragingOn());
    ASSERT_EQ(traces.size(), before + 1);
    EXPECT_EQ(traces.back()->kind, TraceKind::Live);
}

}  // namespace
