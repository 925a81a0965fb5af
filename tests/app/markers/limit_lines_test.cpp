#include <gtest/gtest.h>

#include "common/color.h"
#include "markers/limit_lines.h"

namespace tavrin {
namespace {

TEST(LimitLines, StartUnshownWithOnePointInTheirLegendColours)
{
    LimitLines lines = InitialLimitLines();
    EXPECT_EQ(lines[0].color, Rgb(0, 0, 192));
    EXPECT_EQ(lines[1].color, Rgb(255, 0, 0));
    for (const LimitLine &line : lines) {
        EXPECT_FALSE(line.shown);
        EXPECT_EQ(line.selector, "NONE");
        ASSERT_EQ(line.points.size(), 1u);
        EXPECT_EQ(line.points[0].freqMHz, 0.0);
        EXPECT_EQ(line.points[0].levelDbm, 0.0);
    }
}

TEST(LimitLines, FrequencyToScreenColumn)
{
    MeasurementState state;
    state.centerFreqMHz = "100.000";
    state.spanCaption = "10MHZ/DIV";
    struct Case {
        double mhz;
        double x;
    } cases[] = {{100, 251}, {110, 301}, {50, 1}, {49, -4}};
    for (const Case &c : cases)
        EXPECT_EQ(LimiterX(state, c.mhz), c.x) << c.mhz;

    // 497.9999999999999 in double precision is held as 498 in single.
    state.spanCaption = "1MHZ/DIV";
    EXPECT_EQ(LimiterX(state, 104.94), 498.0);

    // A centre text that is no number is read as 0 MHz.
    state.centerFreqMHz = "abc";
    EXPECT_EQ(LimiterX(state, 1), 301.0);

    state.spanCaption = "0HZ/DIV";
    state.centerFreqMHz = "100.000";
    EXPECT_EQ(LimiterX(state, 100), 0.0);
    EXPECT_EQ(LimiterX(state, -1e300), 0.0);
}

TEST(LimitLines, LevelToScreenRowUsesThePlacingStep)
{
    MeasurementState state;
    state.refLevelDbm = "-20";
    EXPECT_EQ(LimiterY(state, -20), 1022.9999999999997);
    EXPECT_EQ(LimiterY(state, -100), 0.0);
    EXPECT_EQ(LimiterY(state, -60), 511.49999999999983);
    // Not limited to the screen.
    EXPECT_LT(LimiterY(state, -120), 0.0);
}

}  // namespace
}  // namespace tavrin
