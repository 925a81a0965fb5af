// What the pointer reads on the display, and the settings changes made by pointing: a dragged
// band, the span and centre steps, the reference level steps, a centre chosen on the screen.
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "measure/pointer_readout.h"
#include "measure/view_changes.h"

namespace tavrin {
namespace {

MeasurementState At(const char *center, const char *span, const char *ref = "0")
{
    MeasurementState s;
    s.centerFreqMHz = center;
    s.spanCaption = span;
    s.refLevelDbm = ref;
    return s;
}

SettingsChange Center(const char *text) { return {text, std::nullopt, std::nullopt, false}; }
SettingsChange Span(int row) { return {std::nullopt, row, std::nullopt, false}; }
SettingsChange Both(const char *text, int row, bool spanFirst) { return {text, row, std::nullopt, spanFirst}; }

TEST(MeasurePointer, ThePointUnderThePointerAndThePointAClickStandsFor)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // Within half a point of the graticule's ends the end points are read; the y range is the
    // graticule's.
    const std::tuple<double, double, std::optional<int>> under[] = {
        {-0.5, 0, 0},      {-0.6, 500, std::nullopt}, {250.5, 10, 250},         {251.5, 10, 252},
        {498.5, 1023, 498}, {498.6, 0, std::nullopt},  {100, -0.1, std::nullopt}, {100, 1023.1, std::nullopt},
        {nan, 10, std::nullopt}, {10, nan, std::nullopt}};
    for (auto [x, y, point] : under)
        EXPECT_EQ(PointUnder(x, y), point) << x << "," << y;
    const std::pair<double, int> at[] = {{-20, 0}, {0.5, 0}, {1.5, 2}, {300.4, 300}, {600, 498}, {nan, 0}};
    for (auto [x, point] : at)
        EXPECT_EQ(PointAt(x), point) << x;
}

TEST(MeasurePointer, ReadsFrequencyAndTheLevelsOfTheTracesDrawn)
{
    TracePoints shown{}, max{}, min{};
    shown[300] = 512, max[300] = 1023, min[300] = 0;
    shown[252] = 1023, shown[250] = 0;
    const MeasurementState s = At("100.000", "1MHZ/DIV");  // 0.02 MHz a point
    const std::optional<PointerReading> r = ReadAtPointer(s, {&shown, &max, &min}, 300.4, 500);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->point, 300);
    EXPECT_DOUBLE_EQ(r->freqMHz, 100.98);
    EXPECT_EQ(r->level, -39.921875);
    EXPECT_EQ(r->maxHold, 0.0);
    EXPECT_EQ(r->minHold, -79.921875);
    EXPECT_EQ(ReadoutText(*r), "100.980 MHz  -39.9 dBm  Max Hold 0.0 dBm  Min Hold -79.9 dBm");
    EXPECT_FALSE(ReadAtPointer(s, {&shown}, 300, 1100)) << "over the header";

    // Holds not drawn are not read; the narrowest span needs five decimals; dBu is 107 above.
    const std::tuple<MeasurementState, double, std::string> cases[] = {
        {At("100.000", "2KHZ/DIV"), 252, "100.00004 MHz  0.0 dBm"},
        {At("100.000", "2KHZ/DIV"), 250, "99.99996 MHz  -79.9 dBm"},
        {At("100.000", "1MHZ/DIV", "-30"), 300, "100.980 MHz  -69.9 dBm"},
    };
    for (const auto &[state, x, text] : cases)
        EXPECT_EQ(ReadoutText(*ReadAtPointer(state, {&shown}, x, 0)), text);
    MeasurementState dBu = s;
    dBu.unit = "dBu                 ";  // as the operation file pads it
    EXPECT_EQ(ReadoutText(*ReadAtPointer(dBu, {&shown, nullptr, &min}, 300, 0)), "100.980 MHz  67.1 dBu  Min Hold 27.1 dBu");
    EXPECT_EQ(ReadoutText(*ReadAtPointer(s, {}, 300, 0)), "100.980 MHz") << "no trace yet";
}

TEST(MeasurePointer, AtZeroSpanTheFrequencyIsTheCentreWhereverThePointerIs)
{
    TracePoints shown{};
    shown[40] = 512;
    const MeasurementState s = At("433.920", "0HZ/DIV");
    for (double x : {40.0, 400.0}) {
        const std::optional<PointerReading> r = ReadAtPointer(s, {&shown}, x, 0);
        ASSERT_TRUE(r);
        EXPECT_TRUE(r->zeroSpan);
        EXPECT_EQ(r->freqMHz, 433.92);
    }
    EXPECT_EQ(ReadoutText(*ReadAtPointer(s, {&shown}, 40, 0)),
              "433.920 MHz (zero span: the time within the sweep is not known)  -39.9 dBm");
}

TEST(MeasurePointer, TheNarrowestSpanThatCoversABand)
{
    const std::pair<double, int> cases[] = {{0, 1},    {0.00004, 1}, {0.02, 1},   {0.0201, 2}, {0.5, 5},
                                            {10, 9},   {10.02, 10},  {99.9, 12},  {999, 15},   {1000, 15},
                                            {5000, 15}};
    for (auto [width, row] : cases)
        EXPECT_EQ(NarrowestSpanRowCovering(width), row) << width;
}

TEST(MeasurePointer, ADraggedBandBecomesCentreAndSpan)
{
    const MeasurementState s = At("100.000", "1MHZ/DIV");  // row 9, 94.98 .. 104.94 on the graticule
    const std::tuple<MeasurementState, double, double, std::optional<SettingsChange>> cases[] = {
        // 97.5 .. 102.5: 5 MHz around the centre.
        {s, 126, 376, Span(8)},
        {s, 376, 126, Span(8)},
        // 100.98 .. 102.0: 1.02 MHz is more than 100KHZ/DIV's screen; the span goes first.
        {s, 300.4, 350.6, Both("101.490", 7, true)},
        // Beyond both edges: the whole graticule, 9.96 MHz, which the same span covers.
        {s, -30, 600, Center("99.960")},
        // 0 .. 12 MHz on 100MHZ/DIV: 2MHZ/DIV around 6 MHz would start below 0, so the centre
        // moves up to 10 MHz (as a changed span moves it) and the band stays on the screen.
        {At("500.000", "100MHZ/DIV"), 1, 7, Both("10.000", 10, true)},
        // 200 points of 0.1 MHz are 20 MHz, though their frequencies differ by a hair more.
        {At("123.456", "5MHZ/DIV"), 151, 351, Span(10)},
        {s, 100.2, 99.8, std::nullopt},
        {At("100.000", "0HZ/DIV"), 10, 300, std::nullopt},
    };
    for (const auto &[state, x1, x2, change] : cases)
        EXPECT_EQ(ZoomToBand(state, x1, x2), change) << state.spanCaption << " " << x1 << ".." << x2;
}

TEST(MeasurePointer, SpanStepsStopAtTheTableEndsAndAboveZeroSpan)
{
    const std::tuple<MeasurementState, int, std::optional<SettingsChange>> cases[] = {
        {At("100.000", "1MHZ/DIV"), -1, Span(8)},
        {At("100.000", "1MHZ/DIV"), 1, Span(10)},
        {At("100.000", "2KHZ/DIV"), -1, std::nullopt},
        {At("500.000", "100MHZ/DIV"), 1, std::nullopt},
        {At("100.000", "0HZ/DIV"), -1, std::nullopt},
        {At("100.000", "0HZ/DIV"), 1, Span(1)},
        {At("100.000", "1MHZ/DIV"), 0, std::nullopt},
        // Wider near an end: the centre moves in first, then the span follows.
        {At("10.000", "2MHZ/DIV"), 1, Both("25.000", 11, false)},
        {At("1000.000", "50MHZ/DIV"), 1, Both("650.000", 15, false)},
        {At("0.000", "0HZ/DIV"), 1, Both("0.010", 1, false)},
    };
    for (const auto &[state, direction, change] : cases)
        EXPECT_EQ(SpanStep(state, direction), change) << state.centerFreqMHz << " " << state.spanCaption << " " << direction;
}

TEST(MeasurePointer, CentreStepsAreOneDivisionAndStopAtTheRangesEdges)
{
    const std::tuple<MeasurementState, int, std::optional<SettingsChange>> cases[] = {
        {At("100.000", "1MHZ/DIV"), 1, Center("101.000")},
        {At("100", "1MHZ/DIV"), -1, Center("99.000")},
        {At("100.000", "2KHZ/DIV"), 1, Center("100.002")},
        {At("100.000", "0HZ/DIV"), 1, Center("100.500")},  // the frequency step
        // 700 MHz would show up to 1200 MHz: the window stops at the range's end, and stays.
        {At("600.000", "100MHZ/DIV"), 1, Center("650.000")},
        {At("650.000", "100MHZ/DIV"), 1, std::nullopt},
        {At("500.000", "100MHZ/DIV"), -1, std::nullopt},
        {At("5.500", "1MHZ/DIV"), -1, Center("5.000")},
        {At("5.000", "1MHZ/DIV"), -1, std::nullopt},
        // The centre spinner's own range, 0 .. 1100 MHz with both ends out.
        {At("1099.500", "1MHZ/DIV"), 1, std::nullopt},
        {At("0.500", "0HZ/DIV"), -1, std::nullopt},
        {At("100.000", "1MHZ/DIV"), 0, std::nullopt},
    };
    for (const auto &[state, direction, change] : cases)
        EXPECT_EQ(CenterStep(state, direction, 0.5f), change) << state.centerFreqMHz << " " << state.spanCaption << " " << direction;
    EXPECT_EQ(CenterStep(At("100.000", "0HZ/DIV"), 1, 0.0f), std::nullopt) << "no step, no change";
}

TEST(MeasurePointer, ReferenceLevelStepsWithinTheTable)
{
    const std::tuple<const char *, int, std::optional<int>> cases[] = {
        {"0", 1, 4}, {"0", -1, 2}, {"20", 1, std::nullopt}, {"-30", -1, std::nullopt}, {"-25", 1, 1}, {"10", 0, std::nullopt}};
    for (auto [ref, direction, row] : cases) {
        const std::optional<SettingsChange> change = RefLevelStep(At("100.000", "1MHZ/DIV", ref), direction);
        EXPECT_EQ(change ? change->refLevelRow : std::nullopt, row) << ref << " " << direction;
        if (change) {
            EXPECT_EQ(*change, (SettingsChange{std::nullopt, std::nullopt, row, false}));
        }
    }
}

TEST(MeasurePointer, AChosenCentreNarrowsTheSpanAsATypedOneDoes)
{
    const std::tuple<MeasurementState, double, std::optional<SettingsChange>> cases[] = {
        {At("100.000", "1MHZ/DIV"), 100.98, Center("100.980")},
        {At("100.000", "1MHZ/DIV"), 100.0004, std::nullopt},
        // 1100 on 50MHZ/DIV would show up to 1350: down to 10MHZ/DIV, sent before the centre.
        {At("650.000", "50MHZ/DIV"), 1100, Both("1100.000", 12, true)},
        // Beyond the range: its end, where only zero span fits.
        {At("650.000", "50MHZ/DIV"), 5000, Both("1150.000", 0, true)},
    };
    for (const auto &[state, center, change] : cases)
        EXPECT_EQ(CenterAt(state, center), change) << center;
}

}  // namespace
}  // namespace tavrin
