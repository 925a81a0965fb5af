#include <cmath>

#include <gtest/gtest.h>

#include "support/screen_state.h"

#include "measure/screen_conversions.h"

namespace tavrin {
namespace {

class MeasureConversions : public ::testing::Test {
protected:
    MeasureConversions()
    {
        state = test::ScreenAt100MHz();
        trace.fill(0);
    }
    MeasurementState state;
    LiveTrace trace;
};

TEST_F(MeasureConversions, PointToFrequency)
{
    EXPECT_DOUBLE_EQ(ConvertNthPointToMHz(state, 251), 100.0);
    EXPECT_DOUBLE_EQ(ConvertNthPointToMHz(state, 0), 94.98);
    EXPECT_DOUBLE_EQ(ConvertNthPointToMHz(state, 498), 104.94);
    EXPECT_EQ(ConvertNthPointToMHz(state, 499), 0.0);
    EXPECT_EQ(ConvertNthPointToMHz(state, -1), 0.0);
}

TEST_F(MeasureConversions, FrequencyToPointFloorsAfterSinglePrecision)
{
    struct Case {
        double mhz;
        int point;
    } cases[] = {{100, 251},  {100.019, 251}, {99.999, 250}, {94.98, 0},
                 {94.9, 0},   {104.94, 498},  {104.96, 0},   {94.99, 0}, {95.0, 1}};
    for (const Case &c : cases)
        EXPECT_EQ(ConvertMHzToNthPoint(state, c.mhz), c.point) << c.mhz;
}

TEST_F(MeasureConversions, LevelToHeightInsideTheEightyDbWindowOnly)
{
    EXPECT_NEAR(dBmToPointHeight(state, 0), 1023.0, 1e-9);
    EXPECT_EQ(dBmToPointHeight(state, -80), 0.0);
    EXPECT_NEAR(dBmToPointHeight(state, -40), 511.5, 1e-9);
    EXPECT_EQ(dBmToPointHeight(state, 0.5), kNoLevel);
    EXPECT_EQ(dBmToPointHeight(state, -80.5), kNoLevel);
    EXPECT_EQ(dBmToPointHeight(state, std::nan("")), kNoLevel);

    state.refLevelDbm = "-30";
    EXPECT_NEAR(dBmToPointHeight(state, -30), 1023.0, 1e-9);
    EXPECT_EQ(dBmToPointHeight(state, -110), 0.0);
}

TEST_F(MeasureConversions, PointHeightToLevel)
{
    struct Case {
        int16_t value;
        double dBm;
    } cases[] = {{1023, 0}, {0, -79.921875}, {512, -39.921875}, {-32768, -2639.921875}};
    for (const Case &c : cases) {
        trace[10] = c.value;
        EXPECT_EQ(ConvertNthPointHeightTodBm(state, trace, 10), c.dBm) << c.value;
    }
    trace[10] = 1023;
    EXPECT_EQ(ConvertNthPointHeightTodBm(state, trace, 10.5), 0.0);  // nearest point, halves to even
    EXPECT_EQ(ConvertNthPointHeightTodBm(state, trace, 499), kNoLevel);
    EXPECT_EQ(ConvertNthPointHeightTodBm(state, trace, -1), kNoLevel);
}

TEST_F(MeasureConversions, MarkerReadingFollowsTheCurrentSettings)
{
    trace[0] = 512;
    trace[251] = 1023;
    EXPECT_EQ(MarkRdg(state, trace, 100), 0.0);
    EXPECT_EQ(MarkRdg(state, trace, 200), -39.921875);  // off the screen reads point 0

    state.refLevelDbm = "-10";
    state.centerFreqMHz = "200";
    EXPECT_EQ(MarkRdg(state, trace, 200), -10.0);

    state.spanCaption = "0HZ/DIV";
    EXPECT_EQ(ConvertNthPointToMHz(state, 251), 0.0);
    EXPECT_EQ(ConvertMHzToNthPoint(state, 200), 0);
    EXPECT_EQ(MarkRdg(state, trace, 200), -49.921875);
}

TEST_F(MeasureConversions, ACaptionWithoutWidthPlacesNothing)
{
    // Width 0 divides by zero: infinity and NaN must both read as off the screen.
    state.spanCaption = "garbage";
    EXPECT_EQ(ConvertMHzToNthPoint(state, 101), 0);
    EXPECT_EQ(ConvertMHzToNthPoint(state, 100), 0);
    EXPECT_EQ(ConvertNthPointToMHz(state, 0), 100.0);
}

}  // namespace
}  // namespace tavrin
