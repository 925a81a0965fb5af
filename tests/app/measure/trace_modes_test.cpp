// Max and min hold, the power measurements, adjacent channel power and difference traces, on
// traces built point by point.
#include <cmath>
#include <functional>
#include <optional>

#include <gtest/gtest.h>

#include "measure/adjacent_channel.h"
#include "measure/band_measurements.h"
#include "measure/trace_difference.h"
#include "measure/trace_hold.h"

namespace tavrin {
namespace {

TracePoints Made(const std::function<int(int)> &point)
{
    TracePoints t{};
    for (int n = 0; n < kTracePoints; ++n)
        t[static_cast<size_t>(n)] = static_cast<int16_t>(point(n));
    return t;
}

const AnalyzerSettings kAt80{80.0, "10MHZ/DIV", 0, "4MHZ"};

// A rising ramp, a falling one and a flat line cross each other; the holds keep the outer envelope.
TEST(MeasureHolds, KeepTheHighestAndLowestOfEachPointSinceSwitchedOn)
{
    TraceHolds holds;
    holds.SetOn(HoldKind::Max, true);
    holds.SetOn(HoldKind::Min, true);
    EXPECT_EQ(holds.Held(HoldKind::Max), nullptr) << "nothing held before a trace";
    for (const TracePoints &t : {Made([](int n) { return n; }), Made([](int n) { return 499 - n; }), Made([](int) { return 250; })})
        holds.Add(t, kAt80);
    const int points[] = {0, 100, 249, 250, 400};
    const int highest[] = {499, 399, 250, 250, 400}, lowest[] = {0, 100, 249, 249, 99};
    for (size_t i = 0; i < std::size(points); ++i) {
        EXPECT_EQ((*holds.Held(HoldKind::Max))[points[i]], highest[i]) << points[i];
        EXPECT_EQ((*holds.Held(HoldKind::Min))[points[i]], lowest[i]) << points[i];
    }
    EXPECT_EQ(holds.Count(HoldKind::Max), 3);
    holds.SetOn(HoldKind::Min, false);
    holds.SetOn(HoldKind::Min, true);
    EXPECT_EQ(holds.Held(HoldKind::Min), nullptr) << "switched off and on again: holds nothing";
    holds.Clear();
    EXPECT_EQ(holds.Held(HoldKind::Max), nullptr);
}

TEST(MeasureHolds, AReportedChangeOfCentreSpanLevelOrRbwStartsThemAfresh)
{
    struct Case {
        AnalyzerSettings next;
        int count;  // traces held after the second one
    };
    const Case cases[] = {{kAt80, 2},
                          {{80.001, "10MHZ/DIV", 0, "4MHZ"}, 1},
                          {{80.0, "5MHZ/DIV", 0, "4MHZ"}, 1},
                          {{80.0, "10MHZ/DIV", -10, "4MHZ"}, 1},
                          {{80.0, "10MHZ/DIV", 0, "220KHZ"}, 1}};
    for (const Case &c : cases) {
        TraceHolds holds;
        holds.SetOn(HoldKind::Max, true);
        holds.Add(Made([](int) { return 900; }), kAt80);
        holds.Add(Made([](int) { return 100; }), c.next);
        EXPECT_EQ(holds.Count(HoldKind::Max), c.count) << c.next.span << c.next.refLevelDbm;
        EXPECT_EQ((*holds.Held(HoldKind::Max))[7], c.count == 2 ? 900 : 100);
    }
}

TEST(MeasureHolds, TheMarkersReadTheMaxHoldThenTheMinHoldThenTheTraceShown)
{
    const TracePoints shown{};
    TraceHolds holds;
    EXPECT_EQ(TraceToRead(holds, shown).trace, &shown);
    holds.SetOn(HoldKind::Min, true);
    holds.SetOn(HoldKind::Max, true);
    EXPECT_EQ(TraceToRead(holds, shown).trace, &shown) << "holds that hold nothing yet";
    holds.Add(shown, kAt80);
    EXPECT_EQ(TraceToRead(holds, shown).hold, HoldKind::Max);
    holds.SetOn(HoldKind::Max, false);
    EXPECT_EQ(TraceToRead(holds, shown).hold, HoldKind::Min);
    EXPECT_EQ(TraceToRead(holds, shown).trace, holds.Held(HoldKind::Min));
}

// A flat trace at L dBm per RBW over a band B holds L + 10 log10(B / (1.065 RBW)); each point
// stands for the point spacing, so points 101..200 at 0.02 MHz are 2 MHz.
TEST(MeasureBand, PowerOfAFlatTraceAndOfACarrier)
{
    MeasurementState state;
    state.spanCaption = "1MHZ/DIV", state.refLevelDbm = "0", state.rbwCaption = "30KHZ";
    const TracePoints top = Made([](int) { return 1023; });  // 0 dBm
    EXPECT_NEAR(*BandPowerDbm(state, top, 101, 200), 17.9656, 1e-4);  // 10 log10(2 MHz / 31.95 kHz)
    EXPECT_NEAR(*BandPowerDbm(state, top, 200, 101), 17.9656, 1e-4) << "either order";
    state.spanCaption = "10MHZ/DIV", state.rbwCaption = "3KHZ";
    const TracePoints minus20 = Made([](int) { return 767; });  // 256 steps of 0.078125 dB below 0 dBm
    EXPECT_NEAR(*BandPowerDbm(state, minus20, -5, 600), 24.9466, 1e-4) << "499 points of 0.2 MHz, cut to the screen";
    state.spanCaption = "0HZ/DIV";
    EXPECT_FALSE(BandPowerDbm(state, top, 0, 498));
    state.spanCaption = "1MHZ/DIV", state.rbwCaption = "WIDE";
    EXPECT_FALSE(BandPowerDbm(state, top, 0, 498));

    // A -10 dBm carrier seen through a Gaussian RBW filter (3 dB wide = RBW), 75 points per RBW:
    // its shape holds sqrt(pi / 4 ln 2) = 1.0645 RBW of power, so the band power is its level.
    state.spanCaption = "2KHZ/DIV", state.rbwCaption = "3KHZ";
    const TracePoints carrier = Made([](int n) {
        const double offset = (n - 251) * 40.0 / 3000.0, dB = -10.0 * std::log10(std::exp(1.0)) * 4 * std::log(2.0) * offset * offset;
        return static_cast<int>(std::max(0.0, std::round(895 + dB / 0.078125)));
    });
    EXPECT_NEAR(*BandPowerDbm(state, carrier, 0, 498), -10.0, 0.02);
}

// Three points at 0 dBm around 100 MHz, 0.2 MHz apart, on a floor 80 dB down: 0.5 % of the power
// (0.015 of one point) is left out on each side, 0.015 x 0.2 MHz inside the outer edges 99.7 and
// 100.3 MHz.
TEST(MeasureBand, OccupiedBandwidthOfASymmetricCarrier)
{
    MeasurementState state;
    state.centerFreqMHz = "100", state.spanCaption = "10MHZ/DIV", state.refLevelDbm = "0";
    const TracePoints trace = Made([](int n) { return std::abs(n - 251) <= 1 ? 1023 : 0; });
    const std::optional<OccupiedBand> band = OccupiedBandwidth(state, trace);
    ASSERT_TRUE(band);
    EXPECT_NEAR(band->lowMHz, 99.703, 1e-5);
    EXPECT_NEAR(band->highMHz, 100.297, 1e-5);
    state.spanCaption = "0HZ/DIV";
    EXPECT_FALSE(OccupiedBandwidth(state, trace));
}

TEST(MeasureBand, NoiseMarkerOfAFlatFloorPerHertzOfTheRbwsNoiseBandwidth)
{
    EXPECT_NEAR(*PerHertz(-40.0, "30KHZ"), -85.0447, 1e-4);  // -40 - 10 log10(31950)
    EXPECT_NEAR(*PerHertz(67.0, "30KHZ"), 21.9553, 1e-4) << "dBu";
    EXPECT_NEAR(*PerHertz(-40.0, "4MHZ"), -106.2941, 1e-4);  // -40 - 10 log10(4.26e6)
    EXPECT_FALSE(PerHertz(-40.0, "NONE"));
    const std::pair<const char *, double> rbws[] = {{"3KHZ", 3e3},  {"30KHZ", 3e4}, {"220KHZ", 2.2e5}, {" 4mhz ", 4e6},
                                                    {"100HZ", 100}, {"4GHZ", 0},    {"KHZ", 0},        {"", 0}};
    for (auto [caption, hz] : rbws)
        EXPECT_EQ(RbwHz(caption), hz) << caption;
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

// At 0 dBm reference a value v is (v - 1023) x 0.078125 dBm: 1023 is 0 dBm, 511 is -40 dBm.
TEST(TraceDifference, TheScaleFromMinusFortyToFortyAndBeyond)
{
    const TracePoints at511 = Made([](int) { return 511; });
    const TracePoints live = Made([](int n) { return n == 251 ? 1023 : n == 250 ? 0 : n == 0 ? 512 : 511; });
    const TraceDifference d = SubtractTraces(DifferenceKind::LiveMinusA, {&live, kAt80}, {&at511, kAt80}, {});
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
    const SettledTrace live{&at767, kAt80}, a{&at767, {80.0000004, " 10mhz/div", 0, "4MHZ  "}};
    const TraceDifference aMinusB = SubtractTraces(DifferenceKind::AMinusB, live, a, {&at895, kAt80});
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
        {DifferenceKind::LiveMinusA, {nullptr, kAt80}, a, {}, "There is no live trace to subtract from."},
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
