// The recorder, the settings' confirmation and the limit test of the session on the fake analyzer
// in virtual time.
#include "app/session/session_fixture.h"

#include "record/record_file.h"

#include <filesystem>

using namespace tavrin;
using namespace tavrin::test;

namespace {

// The line falls silent and comes back: no record while no trace comes, every record whole, the
// recording going on by itself, and the gap shows in the record times.
TEST_F(SessionTest, ARecordingSurvivesALostLineAndTheGapShowsInItsTimes)
{
    const std::string file = home.Path() + "/run.spf";
    wall = 0;  // the wall clock follows the virtual one
    Session timed{{fake, clock, [this] { return static_cast<std::time_t>(1700000000 + clock.Ms() / 1000); }, Reachable,
                   [](int, bool) { return std::string("/dev/pts/9"); }, {}}};
    timed.Line().SelectPort(1);
    timed.Start();
    ASSERT_TRUE(clock.RunUntil([&] { return timed.Live() != nullptr; }, 2s));
    timed.Record().StartContinuous(file, 200);
    clock.Advance(3s);
    fake.silent = true;
    ASSERT_TRUE(clock.RunUntil([&] { return timed.Status().state == LinkState::Reconnecting; }, 10s));
    const int32_t atLoss = timed.Record().FileCount();
    clock.Advance(5s);
    EXPECT_EQ(timed.Record().FileCount(), atLoss) << "no entry while no trace comes";
    fake.silent = false;
    ASSERT_TRUE(clock.RunUntil([&] { return timed.Record().FileCount() >= atLoss + 5; }, 10s)) << "resumed by itself";
    timed.Record().StopRecording();
    RecordTable table;
    ASSERT_TRUE(LoadRecordFile(file, table).ok);
    ASSERT_EQ(table.size(), static_cast<size_t>(timed.Record().FileCount()));
    double gap = 0;
    for (size_t i = 1; i < table.size(); ++i)
        gap = std::max(gap, (table[i].time - table[i - 1].time) * 86400);
    EXPECT_GT(gap, 4.5);
    EXPECT_TRUE(problems.empty());
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

}  // namespace
