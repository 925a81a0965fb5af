// Adjacent channel power on traces with a known level in each channel, and difference traces at
// the edges of their scale and between traces taken at other settings.
#include <cmath>
#include <functional>

#include <gtest/gtest.h>

#include "measure/adjacent_channel.h"
#include "measure/trace_difference.h"

namespace tavrin {
namespace {

TracePoints Made(const std::function<int(int)> &point)
{
    TracePoints t{};
    for (int n = 0; n < kTracePoints; ++n)
        t[static_cast<size_t>(n)] = static_cast<int16_t>(point(n));
    return t;
}

// 100 MHz in the middle, 20 kHz a point (94.98 MHz at point 0, 104.94 at 498), RBW 30 kHz: a
// noise bandwidth of 31.95 kHz.
MeasurementState At100()
{
    MeasurementState state;
    state.centerFreqMHz = "100.000", state.spanCaption = "1MHZ/DIV", state.refLevelDbm = "0", state.rbwCaption = "30KHZ";
    return state;
}

// A 1 MHz channel is 50 points' worth: 49 whole ones and the halves of the two its edges fall on.
// Flat at L dBm it holds L + 10 log10(1 MHz / 31.95 kHz) = L + 14.95529 dBm. The trace is -50 dBm
// (383) below point 200, -20 dBm (767) up to point 300 and -60 dBm (255) above: the channels at
// 97.5..98.5, 99.5..100.5 and 101.5..102.5 MHz lie each in one of them.
TEST(AdjacentChannelPower, ThreeChannelsOfKnownLevel)
{
    const TracePoints trace = Made([](int n) { return n < 200 ? 383 : n <= 300 ? 767 : 255; });
    const AdjacentChannels r = MeasureAdjacentChannels(At100(), trace, {1.0, 2.0});
    ASSERT_TRUE(r.main.dBm && r.lower.dBm && r.upper.dBm) << r.main.problem << r.lower.problem << r.upper.problem;
    EXPECT_NEAR(*r.main.dBm, -5.04471, 1e-5);
    EXPECT_NEAR(*r.lower.dBm, -35.04471, 1e-5);
    EXPECT_NEAR(*r.upper.dBm, -45.04471, 1e-5);
    EXPECT_NEAR(*r.lowerDbc, -30.0, 1e-9);
    EXPECT_NEAR(*r.upperDbc, -40.0, 1e-9);
    EXPECT_DOUBLE_EQ(r.lower.lowMHz, 97.5);
    EXPECT_DOUBLE_EQ(r.upper.highMHz, 102.5);
}

// A 50 kHz channel is 2.5 points: point 251 whole (0 dBm, 1 mW) and three quarters of points 250
// and 252 (-10 dBm): (1 x 20 + 0.1 x 15 x 2) mW kHz / 31.95 kHz = 23 / 31.95 mW = -1.42753 dBm.
TEST(AdjacentChannelPower, PointsAtTheChannelEdgesCountWithTheirShareInside)
{
    const TracePoints trace = Made([](int n) { return n == 251 ? 1023 : n == 250 || n == 252 ? 895 : 0; });
    const AdjacentChannels r = MeasureAdjacentChannels(At100(), trace, {0.05, 0.05});
    EXPECT_NEAR(r.main.dBm.value_or(0), 10 * std::log10(23 / 31.95), 1e-9);
}

// The points cover 94.97 to 104.95 MHz (half a spacing beyond points 0 and 498): with 4.5 MHz
// spacing the upper channel ends at 105 MHz, the lower one still starts inside, at 95 MHz.
TEST(AdjacentChannelPower, NoneWithTheReasonWhereAChannelCannotBeMeasured)
{
    const TracePoints flat = Made([](int) { return 767; });
    const AdjacentChannels edge = MeasureAdjacentChannels(At100(), flat, {1.0, 4.5});
    EXPECT_TRUE(edge.main.dBm && edge.lower.dBm && edge.lowerDbc);
    EXPECT_FALSE(edge.upper.dBm || edge.upperDbc);
    EXPECT_EQ(edge.upper.problem, "the upper channel, 104.000 to 105.000 MHz, leaves the screen's 94.970 to 104.950 MHz");
    EXPECT_TRUE(MeasureAdjacentChannels(At100(), flat, {1.0, 4.4}).upper.dBm);
    MeasurementState unreadable = At100();
    unreadable.centerFreqMHz = std::string(400, '9');  // reads as infinity
    EXPECT_FALSE(MeasureAdjacentChannels(unreadable, flat, {1.0, 2.0}).main.dBm);

    struct Case {
        const char *span, *rbw;
        ChannelPlan plan;
        const char *problem;
    };
    const Case cases[] = {
        {"0HZ/DIV", "30KHZ", {1, 2}, "no channel power at zero span: the screen shows one frequency"},
        {"1MHZ/DIV", "WIDE", {1, 2}, "the RBW \"WIDE\" is not known"},
        {"1MHZ/DIV", "30KHZ", {0.01, 2},
         "the channel width 0.01 MHz is narrower than the point spacing 0.02 MHz: widen the channel or narrow the span"},
        {"1MHZ/DIV", "30KHZ", {1, 0.5},
         "the channel spacing 0.5 MHz is less than the width 1 MHz: the channels would overlap"},
        {"1MHZ/DIV", "30KHZ", {std::nan(""), 2},
         "the channel width nan MHz is narrower than the point spacing 0.02 MHz: widen the channel or narrow the span"},
    };
    for (const Case &c : cases) {
        MeasurementState state = At100();
        state.spanCaption = c.span, state.rbwCaption = c.rbw;
        const AdjacentChannels r = MeasureAdjacentChannels(state, flat, c.plan);
        EXPECT_FALSE(r.main.dBm || r.lower.dBm || r.upper.dBm || r.lowerDbc || r.upperDbc) << c.problem;
        EXPECT_EQ(r.main.problem, c.problem);
        EXPECT_EQ(r.upper.problem, c.problem);
    }
}

const AnalyzerSettings kScreen{80.0, "10MHZ/DIV", 0, "4MHZ"};

// At 0 dBm reference a value v is (v - 1023) x 0.078125 dBm: 1023 is 0 dBm, 511 is -40 dBm.
TEST(TraceDifference, TheScaleFromMinusFortyToFortyAndBeyond)
{
    const TracePoints at511 = Made([](int) { return 511; });
    const TracePoints live = Made([](int n) { return n == 251 ? 1023 : n == 250 ? 0 : n == 0 ? 512 : 511; });
    const TraceDifference d = SubtractTraces(DifferenceKind::LiveMinusA, {&live, kScreen}, {&at511, kScreen}, {});
    ASSERT_TRUE(d.db) << d.note;
    EXPECT_EQ(d.caption, "Live - A");
    MeasurementState state;  // 80 MHz
    state.spanCaption = "10MHZ/DIV";
    EXPECT_EQ(ReadDifference(state, d, 80.0), 40.0);
    EXPECT_EQ(ReadDifference(state, d, 79.8), -39.921875);
    EXPECT_EQ(ReadDifference(state, d, 81.0), 0.0);
    EXPECT_EQ(ReadDifference(state, d, 500.0), 0.078125) << "off the screen: point 0";

    const std::pair<double, double> heights[] = {
        {0, 511.5},       {10, 639.375},  {-10, 383.625}, {40, 1023},          {-40, 0},
        {40.078125, 1023}, {-40.078125, 0}, {-79.921875, 0}, {1e300, 1023}, {-1e300, 0}};
    for (const auto &[db, height] : heights)
        EXPECT_NEAR(DifferenceHeight(db), height, 1e-9) << db;
    EXPECT_NEAR(DifferenceHeights(*d.db)[251], 1023, 1e-9);
}

TEST(TraceDifference, OnlyTracesTakenAtTheScreensSettingsAreSubtracted)
{
    const TracePoints at767 = Made([](int) { return 767; }), at895 = Made([](int) { return 895; });
    const SettledTrace live{&at767, kScreen}, a{&at767, {80.0000004, " 10mhz/div", 0, "4MHZ  "}};
    const TraceDifference aMinusB = SubtractTraces(DifferenceKind::AMinusB, live, a, {&at895, kScreen});
    ASSERT_TRUE(aMinusB.db) << aMinusB.note;
    EXPECT_EQ((*aMinusB.db)[0], -10.0) << "-20 dBm minus -10 dBm";
    EXPECT_EQ(aMinusB.caption, "A - B");

    struct Case {
        DifferenceKind kind;
        SettledTrace live, a, b;
        const char *note;
    };
    const Case cases[] = {
        {DifferenceKind::LiveMinusA, live, {&at767, {80.0, "1MHZ/DIV", -10, "4MHZ"}}, {},
         "Memory A was taken at span 1MHZ/DIV and reference level -10 dBm, the screen shows 10MHZ/DIV and 0 dBm: it "
         "is not subtracted."},
        {DifferenceKind::LiveMinusA, live, {&at767, {80.000001, "10MHZ/DIV", 0, "30KHZ"}}, {},
         "Memory A was taken at centre 80.000001 MHz and RBW 30KHZ, the screen shows 80.000 MHz and 4MHZ: it is not "
         "subtracted."},
        {DifferenceKind::AMinusB, live, a, {&at767, {433.92, "2KHZ/DIV", 20, "3KHZ"}},
         "Memory B was taken at centre 433.920 MHz, span 2KHZ/DIV, reference level 20 dBm and RBW 3KHZ, the screen "
         "shows 80.000 MHz, 10MHZ/DIV, 0 dBm and 4MHZ: it is not subtracted."},
        {DifferenceKind::AMinusB, live, {}, a, "Memory A holds no trace: store one first."},
        {DifferenceKind::LiveMinusA, {nullptr, kScreen}, a, {}, "There is no live trace to subtract from."},
    };
    MeasurementState state;
    for (const Case &c : cases) {
        const TraceDifference d = SubtractTraces(c.kind, c.live, c.a, c.b);
        EXPECT_FALSE(d.db);
        EXPECT_EQ(d.note, c.note);
        EXPECT_FALSE(ReadDifference(state, d, 80.0));
    }
}

}  // namespace
}  // namespace tavrin
