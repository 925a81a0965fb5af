// The session on the fake analyzer in virtual time: requests back to back, Stop at once, a silent
// or garbled line told and recovered from, single traces, the recorder, the settings' confirmation,
// the limit test, the peak tools and a named setup recalled through the panel's own apply-and-confirm
// path; the line's state on the clock and the status bar's words.
#include <algorithm>
#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "app/session/session_fixture.h"
#include "limits/limit_file.h"
#include "record/record_file.h"
#include "session/link_watch.h"
#include "session/setup_apply.h"

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

TEST(LineWatch, TheStateFollowsTheClockAndTheRateTheLastThreeSeconds)
{
    LineWatch w;
    auto at = [](int ms) { return LineWatch::Clock::time_point{} + std::chrono::milliseconds(ms); };
    auto check = [&](int ms, LinkState state, double rate) {
        EXPECT_EQ(w.State(at(ms)), state) << ms;
        EXPECT_DOUBLE_EQ(w.TracesPerSecond(at(ms)), rate) << ms;
    };
    check(0, LinkState::NotConnected, 0);
    w.Started(at(0));
    for (int ms = 200; ms <= 5000; ms += 200)
        w.TraceCame(at(ms));
    check(5000, LinkState::Acquiring, 5.0);  // 2.2 .. 5.0 s: 15 traces
    check(5999, LinkState::Acquiring, 11 / 3.0);
    check(6000, LinkState::NoAnswer, 10 / 3.0);
    check(8000, LinkState::LineLost, 0);
    w.SetReconnecting(true, at(8500));
    check(8600, LinkState::Reconnecting, 0);
    w.SetReconnecting(false, at(9000));  // answered: the next trace is due from then
    check(9500, LinkState::Acquiring, 0);
    check(10000, LinkState::NoAnswer, 0);
    w.Stopped(at(10000));
    check(10000, LinkState::NotConnected, 0);
    w.Started(at(20000));
    w.TraceCame(at(20100));
    check(20500, LinkState::Acquiring, 1.0);  // over at least a second
    w.Stopped(at(20500));
    check(20500, LinkState::Connected, 0);

    EXPECT_EQ(StatusText({1, "/dev/pts/3", LinkState::Acquiring, "", 5.66, false, 2, 1}),
              "COM1: /dev/pts/3  |  acquiring  |  5.7 traces/s  |  rejected 2  |  time-outs 1");
    EXPECT_EQ(StatusText({1, "/dev/pts/3", LinkState::Acquiring, "", 2.83, true, 40, 0}),
              "COM1: /dev/pts/3  |  acquiring  |  2.8 traces/s, 50 % of the line's 5.7: blocks are lost  |  "
              "rejected 40  |  time-outs 0");
    EXPECT_EQ(StatusText({2, "nothing", LinkState::Reconnecting, "device missing", 0, false, 0, 3}),
              "COM2: nothing  |  reconnecting (device missing)  |  0.0 traces/s  |  rejected 0  |  time-outs 3");
    EXPECT_EQ(StatusText({1, "/dev/pts/3", LinkState::Checking, "waiting for the analyzer's answer, up to 17 s", 0,
                          false, 0, 0}),
              "COM1: /dev/pts/3  |  checking (waiting for the analyzer's answer, up to 17 s)");
    EXPECT_EQ(StatusText({4, "/dev/ttyS3", LinkState::Connected, "", 0, false, 9, 9}), "COM4: /dev/ttyS3  |  connected");
}

// Half the blocks lost (the rate halves): slow once a whole rate window shows it, and only while
// blocks are being lost, not when the user holds the line with settings.
TEST(LineWatch, ALineThatLosesBlocksIsSlow)
{
    LineWatch w;
    auto at = [](int ms) { return LineWatch::Clock::time_point{} + std::chrono::milliseconds(ms); };
    w.Started(at(0));
    for (int ms = 354; ms <= 6000; ms += 354) {
        w.TraceCame(at(ms));
        if (ms < 2500)
            w.BlockLost(at(ms));
    }
    EXPECT_FALSE(w.Slow(at(2900))) << "not before a whole window";
    EXPECT_TRUE(w.Slow(at(3600)));
    EXPECT_FALSE(w.Slow(at(6000))) << "no block lost for three seconds";
}

// The line falls silent and comes back: no record while no trace comes, every record whole, the
// recording going on by itself, and the gap shows in the record times.
TEST_F(SessionTest, ARecordingSurvivesALostLineAndTheGapShowsInItsTimes)
{
    const std::string file = home.Path() + "/run.spf";
    StartAcquiring();
    session.Record().StartContinuous(file, 200);
    clock.Advance(3s);
    fake.silent = true;
    ASSERT_TRUE(Until([&] { return State() == LinkState::Reconnecting; }, 10s));
    const int32_t atLoss = session.Record().FileCount();
    clock.Advance(5s);
    EXPECT_EQ(session.Record().FileCount(), atLoss) << "no entry while no trace comes";
    fake.silent = false;
    ASSERT_TRUE(Until([&] { return session.Record().FileCount() >= atLoss + 5; }, 10s)) << "resumed by itself";
    session.Record().StopRecording();
    RecordTable table;
    ASSERT_TRUE(LoadRecordFile(file, table).ok);
    ASSERT_EQ(table.size(), static_cast<size_t>(session.Record().FileCount()));
    double gap = 0;
    for (size_t i = 1; i < table.size(); ++i)
        gap = std::max(gap, (table[i].time - table[i - 1].time) * 86400);
    EXPECT_GT(gap, 4.5);
    EXPECT_TRUE(problems.empty());
}

// A disk that holds the appends up: the recording goes on, the count follows the disk, and an
// append that fails after Stop is still told.
TEST_F(SessionTest, RecordAppendsWaitingOnTheDiskHoldNothingUpAndAreAllAccountedFor)
{
    const std::string file = home.Path() + "/run.spf";
    StartAcquiring();
    holdFiles = true;
    session.Record().StartContinuous(file, 200);
    clock.Advance(2s);
    ASSERT_GE(fileJobs.size(), 8u) << "one append per entry, none waited for";
    EXPECT_EQ(session.Record().FileCount(), 0);
    const size_t first = fileJobs.size();
    for (auto &job : std::exchange(fileJobs, {}))
        job()();
    EXPECT_EQ(session.Record().FileCount(), static_cast<int32_t>(first));
    clock.Advance(1s);
    session.Record().StopRecording();
    ASSERT_FALSE(fileJobs.empty());
    ASSERT_EQ(std::remove(file.c_str()), 0);
    for (auto &job : std::exchange(fileJobs, {}))
        job()();
    ASSERT_FALSE(problems.empty()) << "the lost appends are told";
    EXPECT_NE(problems.back().find("could not be written"), std::string::npos) << problems.back();
}

// A setting sent to an analyzer that fell silent: the confirmation gives up after the one read
// that found the line silent, not after six reads' time-outs.
TEST_F(SessionTest, AConfirmationOnASilentLineGivesUpAfterOneRead)
{
    session.Settings().SetConfirmAlways(true);
    fake.silent = true;
    const long long start = clock.Ms();
    session.Settings().ChooseRefLevel(1);
    ASSERT_TRUE(clock.RunUntil([&] { return !session.Line().JobsPending(); }, 60s));
    const JobResult &r = session.Settings().LastApply();
    EXPECT_EQ(std::tuple(r.reads, r.confirmed, r.silent), std::tuple(1, false, true));
    EXPECT_LT(clock.Ms() - start, 23000) << "one read's time-outs";
    EXPECT_EQ(Sent(), (Commands{"L1", "T"}));
}

// Each accepted trace is judged once, the holds take it first, and a line switched on or changed
// is judged again at once without counting.
TEST_F(SessionTest, EachTraceIsJudgedOnceAgainstWhatTheMarkersRead)
{
    fake.level = [](int n, uint64_t k, const AnalyzerSettings &) { return static_cast<int16_t>(k == 0 && n == 100 ? 900 : 300); };
    session.SetHold(HoldKind::Max, true);
    // An upper line at the reference level minus 40 dB: the first trace's point 100 crosses it.
    session.Limits().SetFile(0, "mask", {{0, -40}, {1000, -40}});
    session.Limits().SetShown(0, true);
    StartAcquiring();
    clock.Advance(1s);
    session.Stop();
    const LimitCount count = session.Limits().Count(0);
    EXPECT_EQ(count.judged, static_cast<int>(traces.size()));
    EXPECT_EQ(count.failed, count.judged) << "the max hold keeps the first trace's carrier";
    session.ClearHolds();
    EXPECT_EQ(session.Limits().Verdicts()[0]->outcome, LimitOutcome::Pass) << "the live trace read again";
    EXPECT_EQ(session.Limits().Count(0), count) << "nothing new was measured";
}

// The settings sent, without the trace requests between them.
Commands SettingsSent(Commands sent)
{
    std::erase(sent, "T");
    return sent;
}

// A carrier (700) that moves 20 points a trace from point 100, one (500) at point 400, on a floor
// of 100. At 80 MHz and 10MHZ/DIV point n is at 80 + (n - 251) x 0.2 MHz.
TEST_F(SessionTest, TrackPeakFollowsTheCarrierAndTheMovesWalkThePeaks)
{
    fake.level = [](int n, uint64_t k, const AnalyzerSettings &) {
        return static_cast<int16_t>(n == 100 + 20 * static_cast<int>(k) ? 700 : n == 400 ? 500 : 100);
    };
    session.Markers().SetOn(0, true);
    session.SetTracking(1, true);
    std::vector<std::string> followed;  // marker 2 as each trace left it
    TraceBus::Connection watch =
        session.Bus().Connect([&](const TracePtr &) { followed.push_back(session.Markers().Controls()[1].freqText); });
    StartAcquiring();
    ASSERT_TRUE(Until([&] { return followed.size() == 3; }, 2s));
    session.Stop();
    ASSERT_TRUE(Until([&] { return !Running(); }, 2s));
    followed.resize(3);
    EXPECT_EQ(followed, (std::vector<std::string>{"49.8000", "53.8000", "57.8000"}));
    EXPECT_TRUE(session.Markers().Controls()[1].enabled);
    ASSERT_EQ(session.Markers().Active(), 1) << "the marker whose Track was switched";

    // From the carrier (where the last trace left it): down the table, then left and right.
    const std::string carrier = session.Markers().Controls()[1].freqText;
    const std::string &text = session.Markers().Controls()[1].freqText;
    session.NextPeak();
    EXPECT_EQ(text, "109.8000") << "the lower peak at point 400";
    session.PeakLeft();
    EXPECT_EQ(text, carrier);
    session.PeakRight();
    EXPECT_EQ(text, "109.8000");
    session.PeakRight();
    EXPECT_EQ(text, "109.8000") << "none right of it";
    EXPECT_EQ(beeps, 1);
}

class SetupRecallTest : public SessionTest {
protected:
    // Applies the setup's text; the fields not read or applied, with why.
    std::vector<SetupProblem> Recall(const std::string &text)
    {
        std::optional<std::vector<SetupProblem>> result;
        ApplySetup(session, ParseSetup(text), home.Path(), [&](const std::vector<SetupProblem> &p) { result = p; });
        EXPECT_TRUE(Until([&] { return result.has_value(); }, 120s));
        return result.value_or(std::vector<SetupProblem>{});
    }
    // The problems other than fields the setup does not have.
    static std::map<std::string, std::string> Named(const std::vector<SetupProblem> &problems)
    {
        std::map<std::string, std::string> named;
        for (const SetupProblem &p : problems)
            if (p.why != "missing")
                named[p.field] = p.why;
        return named;
    }
};

// A setup with a span not in the list, a count out of range and a limit file that is gone: the rest
// is applied, the analyzer settings sent and confirmed as typing them sends them.
TEST_F(SetupRecallTest, ADamagedSetupRecallsWhatItCanAndNamesTheRest)
{
    std::string error;
    ASSERT_TRUE(WriteLimitFile(home.Path() + "/mask.lim", {{0, -30}, {1000, -30}}, error)) << error;
    StartAcquiring();
    const auto problems = Recall("[Analyzer]\nCenter=433.920\nSpan=7MHZ/DIV\nRefLevel=-20\n"
                                 "[Averaging]\nCount=300\n[Marker2]\nOn=true\nFrequency=434.5\n"
                                 "[Limit1]\nFile=mask\nKind=lower\nOn=true\n[Limit2]\nFile=gone\n"
                                 "[Measurements]\nAdjacentChannel=true\nChannelWidth=0.025\n");
    EXPECT_EQ(SettingsSent(Sent()), (Commands{"F0433920", "L1"}));
    const auto named = Named(problems);
    ASSERT_EQ(named.size(), 3u) << UnreadText(problems);
    EXPECT_TRUE(named.count("Analyzer/Span") && named.count("Averaging/Count"));  // their reasons are setup_test's
    EXPECT_EQ(named.at("Limit2/File").rfind("the limit file \"gone\" was not read: ", 0), 0u) << named.at("Limit2/File");

    const MeasurementState &state = session.Settings().State();
    EXPECT_EQ(state.centerFreqMHz + "|" + state.refLevelDbm, "433.920|-20");
    EXPECT_TRUE(Until([&] { return session.Live()->settings.centerMHz == 433.92; }, 1s)) << "taken by the analyzer";
    EXPECT_TRUE(session.Markers().Controls()[1].enabled && session.Markers().Controls()[1].freqText == "434.5");
    const LimitLine &line = session.Limits().Lines()[0];
    EXPECT_TRUE(line.selector == "mask" && line.kind == LimitKind::Lower && line.shown && line.points.size() == 2);
    EXPECT_TRUE(session.Measurements().adjacentChannel);
    EXPECT_EQ(session.Channels(), (ChannelPlan{0.025, 1.0})) << "the spacing the setup has not kept";
}

// With the acquisition stopped the settings still go out and are confirmed: an analyzer that takes
// none is named for each, one that does not answer for the first, and the rest are not sent.
TEST_F(SetupRecallTest, SettingsTheAnalyzerRefusesOrNeverHearsAreNamed)
{
    fake.deaf = true;
    auto named = Named(Recall("[Analyzer]\nCenter=100\nRefLevel=10\n"));
    EXPECT_EQ(SettingsSent(Sent()), (Commands{"F0100000", "L4"}));
    EXPECT_EQ(named["Analyzer/Center"], "the analyzer did not take it (it reported 80.000 MHz)");
    EXPECT_EQ(named["Analyzer/RefLevel"], "the analyzer did not take it (it reported 0 dBm)");
    EXPECT_FALSE(session.Settings().ConfirmAlways()) << "the panel confirms only while acquiring again";

    fake.deaf = false;
    fake.silent = true;
    named = Named(Recall("[Analyzer]\nCenter=100\nRefLevel=10\n"));
    EXPECT_EQ(SettingsSent(Sent()), (Commands{"F0100000"}));
    EXPECT_EQ(named["Analyzer/Center"], "the analyzer did not answer");
    EXPECT_EQ(named["Analyzer/RefLevel"], "not sent: the analyzer did not answer");
}

}  // namespace
