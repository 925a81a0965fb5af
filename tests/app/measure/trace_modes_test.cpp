// Max and min hold, and the power measurements, on traces built point by point.
#include <cmath>
#include <functional>
#include <optional>

#include <gtest/gtest.h>

#include "measure/band_measurements.h"
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

}  // namespace
}  // namespace tavrin
