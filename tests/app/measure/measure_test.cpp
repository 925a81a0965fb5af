// Suites carry the area as a lowercase prefix so that `ctest -R measure` selects them. The tables,
// conversions and averaging; what the pointer reads on the display, and the settings changes made
// by pointing: a dragged band, the span, centre and reference level steps, a centre chosen.
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "measure/averaging.h"
#include "measure/frequency_step.h"
#include "measure/measure_setting.h"
#include "measure/measurement_state.h"
#include "measure/pointer_readout.h"
#include "measure/screen_conversions.h"
#include "measure/view_changes.h"

namespace tavrin {
namespace {

TEST(MeasureTables, RowsTheirCaptionsOrRowZeroAndTheWidthPerDivision)
{
    const char *spans[] = {"0HZ/DIV",    "2KHZ/DIV",   "5KHZ/DIV",   "10KHZ/DIV", "20KHZ/DIV", "50KHZ/DIV",
                           "100KHZ/DIV", "200KHZ/DIV", "500KHZ/DIV", "1MHZ/DIV",  "2MHZ/DIV",  "5MHZ/DIV",
                           "10MHZ/DIV",  "20MHZ/DIV",  "50MHZ/DIV",  "100MHZ/DIV"};
    const char *levels[] = {"-30", "-20", "-10", "0", "10", "20"};
    const char *rbws[] = {"3KHZ", "30KHZ", "220KHZ", "4MHZ"};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(SpanCaption(i), spans[i]);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(RefLevelText(i), levels[i]);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(RbwCaption(i), rbws[i]);

    const std::pair<int, int> rows[] = {{SpanToIndex(" 2khz/div "), 1}, {SpanToIndex("3KHZ/DIV"), 0},
                                        {SpanToIndex("100MHZ/DIV"), 15}, {RefLevelToIndex(20), 5},
                                        {RefLevelToIndex(-25), 0},       {RefLevelToIndex(0), 3},
                                        {RBWToIndex("220khz"), 2},       {RBWToIndex("1MHZ"), 0}};
    for (auto [found, row] : rows)
        EXPECT_EQ(found, row);
    // The width per division follows the caption's unit letter.
    const std::pair<const char *, double> cases[] = {{"500KHZ/DIV", 0.5}, {"10MHZ/DIV", 10},   {"0HZ/DIV", 0},
                                                     {"", 0},             {"2KHZ/DIV", 0.002}, {" 100MHZ/DIV ", 100},
                                                     {"5khz/div", 0.005}, {"XYZ", 0}};
    for (auto [caption, mhz] : cases)
        EXPECT_DOUBLE_EQ(MHzPerDivision(caption), mhz) << caption;
}

TEST(MeasureWindow, StartAndStopAreSinglePrecisionAndZeroAtZeroSpan)
{
    MeasurementState state;  // "80.000"
    const std::tuple<const char *, float, float> cases[] = {
        {"10MHZ/DIV", 30.0f, 130.0f}, {"2KHZ/DIV", 79.99f, 80.01f}, {"0HZ/DIV", 0.0f, 0.0f}};
    for (auto [span, start, stop] : cases) {
        state.spanCaption = span;
        EXPECT_EQ(std::pair(StartFreq(state), StopFreq(state)), std::pair(start, stop)) << span;
    }
    // c - 5w lands exactly between two floats when w is 0.1 in double; the float w (a hair above
    // 0.1) moves it below the midpoint, so the window edge rounds down, not up to the even float.
    state.spanCaption = "100KHZ/DIV";
    state.centerFreqMHz = "1.500000178813934326171875";  // 1.5 + 3 * 2^-24
    EXPECT_EQ(StartFreq(state), std::nextafter(1.0f, 2.0f));
}

// Records what ShowMeasureSetting does to the panel, in order.
struct FakePanel : MeasurePanel {
    bool focused = false;
    std::vector<std::string> calls;
    bool CenterFreqHasFocus() const override { return focused; }
    void SetCenterFreqText(const std::string &text) override { calls.push_back("center " + text); }
    void SetRefLevelPosition(int index) override { calls.push_back("ref " + std::to_string(index)); }
    void SetSpanPosition(int index) override { calls.push_back("span " + std::to_string(index)); }
    void SetRbwPosition(int index) override { calls.push_back("rbw " + std::to_string(index)); }
};

TEST(MeasureShowSetting, CentreUnlessZeroEqualOrBeingTypedThenLevelSpanRbw)
{
    const std::tuple<AnalyzerSettings, bool, std::vector<std::string>> cases[] = {
        {{123.4567, "1MHZ/DIV", -10, "30KHZ  "}, false, {"center 123.457", "ref 2", "span 9", "rbw 1"}},
        // An unmapped code arrives as level 0 and an empty span caption: rows 3 and 0.
        {{0.0, "", 0, ""}, false, {"ref 3", "span 0", "rbw 0"}},
        {{80.0, "", 0, ""}, false, {"ref 3", "span 0", "rbw 0"}},
        {{150.5, "2KHZ/DIV", 20, "3KHZ"}, true, {"ref 5", "span 1", "rbw 0"}},
    };
    for (const auto &[reported, focused, calls] : cases) {
        FakePanel panel;
        panel.focused = focused;
        ShowMeasureSetting(reported, MeasurementState{}, panel);  // centre "80.000"
        EXPECT_EQ(panel.calls, calls) << reported.centerMHz;
    }
}

TEST(MeasureFrequencyStep, MovesOneStepInsideZeroToElevenHundredOnly)
{
    const std::tuple<const char *, int, float, const char *> cases[] = {
        // (the centre's and the markers' spinner tests step inside the range and at both ends)
        {"1.000", -1, 1.0f, "unchanged"}, {"100", 1, 0.001f, "100.001"}, {"abc", 1, 1.0f, "1.000"},
        {"80.000", 0, 1.0f, "unchanged"}, {"80", 7, 0.1f, "80.100"},    {"80", -3, 0.1f, "79.900"},  // a sign, not a count
    };
    for (auto [text, direction, step, moved] : cases)
        EXPECT_EQ(StepFrequencyText(text, direction, step).value_or("unchanged"), moved) << text << " " << direction;
    EXPECT_EQ(NormalizeFrequencyText("12.34567"), "12.346");
    EXPECT_EQ(NormalizeFrequencyText("abc"), "0.000");
    EXPECT_EQ(NormalizeFrequencyText(" 433.92MHz"), "433.920");
}

// Centre 100 MHz, 1MHZ/DIV (0.02 MHz per point), reference level 0 dBm.
class MeasureConversions : public ::testing::Test {
protected:
    MeasureConversions() { state.centerFreqMHz = "100.000", state.spanCaption = "1MHZ/DIV", state.refLevelDbm = "0"; }
    MeasurementState state;
    TracePoints trace{};
};

TEST_F(MeasureConversions, PointToFrequencyAndBack)
{
    for (auto [point, mhz] : {std::pair<int16_t, double>{251, 100}, {0, 94.98}, {498, 104.94}, {499, 0}, {-1, 0}})
        EXPECT_DOUBLE_EQ(ConvertNthPointToMHz(state, point), mhz) << point;
    // Floored after rounding to single precision: 104.94 is 497.9999999999999 in double.
    const std::pair<double, int> cases[] = {{100, 251},   {100.019, 251}, {99.999, 250}, {94.98, 0}, {94.9, 0},
                                            {104.94, 498}, {104.96, 0},   {95.0, 1}};
    for (auto [mhz, point] : cases)
        EXPECT_EQ(ConvertMHzToNthPoint(state, mhz), point) << mhz;
    state.spanCaption = "0HZ/DIV";  // nothing but the centre
    EXPECT_EQ(ConvertNthPointToMHz(state, 251), 0.0);
    EXPECT_EQ(ConvertMHzToNthPoint(state, 100), 0);
}

TEST_F(MeasureConversions, LevelToHeightInsideTheEightyDbWindowOnly)
{
    const std::tuple<const char *, double, double> cases[] = {
        {"0", 0, 1023},      {"0", -80, 0},     {"0", -40, 511.5},   {"0", 0.5, 99999},
        {"0", -80.5, 99999}, {"0", NAN, 99999}, {"-30", -30, 1023}, {"-30", -110, 0}};
    for (auto [refLevel, dBm, height] : cases) {
        state.refLevelDbm = refLevel;
        EXPECT_NEAR(dBmToPointHeight(state, dBm), height, 1e-9) << refLevel << " " << dBm;
    }
}

TEST_F(MeasureConversions, PointHeightToLevel)
{
    const std::pair<int16_t, double> cases[] = {{1023, 0}, {0, -79.921875}, {512, -39.921875}, {-32768, -2639.921875}};
    for (auto [value, dBm] : cases) {
        trace[10] = value;
        EXPECT_EQ(ConvertNthPointHeightTodBm(state, trace, 10), dBm) << value;
    }
    EXPECT_EQ(ConvertNthPointHeightTodBm(state, trace, 499), 99999);
    EXPECT_EQ(ConvertNthPointHeightTodBm(state, trace, -1), 99999);
}

TEST(MeasureAverage, FillsThenSlidesWithHalvesToEven)
{
    struct Case { int n; std::vector<int> values, live; };  // value -1: averaging switched off and on again
    const Case cases[] = {{4, {10, 20, 30, 40, 50}, {10, 15, 20, 25, 35}},  // the fifth replaces the 10
                          {2, {1, 2}, {1, 2}},                              // 1.5 rounds to even 2
                          {2, {2, 3, 5}, {2, 2, 4}},                        // 2.5 to 2, (3+5)/2
                          {3, {1023, 1023, 1023, 0}, {1023, 1023, 1023, 682}},
                          {4, {100, 200, -1, 8}, {100, 150, 8}},
                          {0, {5, 6}, {5, 6}}};  // a count below one acts as one
    for (const auto &c : cases) {
        RunningAverage avg;
        avg.Restart(c.n);
        TracePoints points, live{};
        std::vector<int> shown;
        for (int v : c.values) {
            points.fill(static_cast<int16_t>(v));
            if (v < 0)
                avg.Restart(c.n);
            else
                avg.Add(points, live), shown.push_back(live[0]);
        }
        EXPECT_EQ(shown, c.live) << "N = " << c.n;
    }
}

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

    // Holds not drawn are not read; the narrowest span needs five decimals; dBu is 107 above; at
    // zero span the frequency is the centre wherever the pointer is.
    const char *zero = "433.920 MHz (zero span: the time within the sweep is not known)";
    const std::tuple<MeasurementState, double, std::string> cases[] = {
        {At("100.000", "2KHZ/DIV"), 252, "100.00004 MHz  0.0 dBm"},
        {At("100.000", "2KHZ/DIV"), 250, "99.99996 MHz  -79.9 dBm"},
        {At("100.000", "1MHZ/DIV", "-30"), 300, "100.980 MHz  -69.9 dBm"},
        {At("433.920", "0HZ/DIV"), 300, zero + std::string("  -39.9 dBm")},
        {At("433.920", "0HZ/DIV"), 250, zero + std::string("  -79.9 dBm")},
    };
    for (const auto &[state, x, text] : cases)
        EXPECT_EQ(ReadoutText(*ReadAtPointer(state, {&shown}, x, 0)), text);
    MeasurementState dBu = s;
    dBu.unit = "dBu                 ";  // as the operation file pads it
    EXPECT_EQ(ReadoutText(*ReadAtPointer(dBu, {&shown, nullptr, &min}, 300, 0)), "100.980 MHz  67.1 dBu  Min Hold 27.1 dBu");
    EXPECT_EQ(ReadoutText(*ReadAtPointer(s, {}, 300, 0)), "100.980 MHz") << "no trace yet";
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
        const std::optional<SettingsChange> expected =
            row ? std::optional(SettingsChange{std::nullopt, std::nullopt, row, false}) : std::nullopt;
        EXPECT_EQ(RefLevelStep(At("100.000", "1MHZ/DIV", ref), direction), expected) << ref << " " << direction;
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
