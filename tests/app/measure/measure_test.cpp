// Suites carry the area as a lowercase prefix so that `ctest -R measure` selects them.
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "measure/averaging.h"
#include "measure/frequency_step.h"
#include "measure/measure_setting.h"
#include "measure/measurement_state.h"
#include "measure/screen_conversions.h"

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

}  // namespace
}  // namespace tavrin
