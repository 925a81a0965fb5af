// Suites carry the area as a lowercase prefix so that `ctest -R common` selects them.
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "common/rounding.h"
#include "common/text_number.h"

namespace tavrin {
namespace {

TEST(CommonNumericValue, ReadsTheLeadingDecimalNumber)
{
    struct Case {
        const char *text;
        double value;
    } cases[] = {
        {"80.5", 80.5},   {" 80.5", 80.5}, {"\t 7", 7},     {"  7abc", 7},      {"", 0},
        {"abc", 0},       {"-.5", -0.5},   {"+5", 5},       {"1.2.3", 1.2},     {".", 0},
        {"-", 0},         {"5.", 5},       {"1e3", 1},      {"- 5", 0},         {"1,5", 1},
        {"0001.500", 1.5}, {"-30", -30},   {"500KHZ/DIV", 500}, {"100.019", 100.019}, {"7 8", 7},
    };
    for (const Case &c : cases)
        EXPECT_EQ(NumericValue(c.text), c.value) << '"' << c.text << '"';
}

TEST(CommonNumericValue, DigitsBeyondTheDoubleRangeGiveInfinityOrZero)
{
    std::string huge = "-" + std::string(400, '9');
    EXPECT_EQ(NumericValue(huge), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(NumericValue("0." + std::string(400, '0') + "1"), 0.0);
}

TEST(CommonRounding, HalvesGoToTheEvenNeighbour)
{
    struct Case {
        double value, rounded;
    } cases[] = {{2.5, 2},  {3.5, 4},     {-2.5, -2},      {-3.5, -4},      {0.5, 0},    {1.5, 2},
                 {2.4999, 2}, {2.5000001, 3}, {-2.5000001, -3}, {1e300, 1e300}, {-0.4, 0}, {7, 7}};
    for (const Case &c : cases)
        EXPECT_EQ(RoundHalfEven(c.value), c.rounded) << c.value;
    EXPECT_TRUE(std::isnan(RoundHalfEven(std::nan(""))));
}

TEST(CommonRounding, IntegerResultsSaturateAndNaNGivesZero)
{
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(RoundHalfEvenToInt32(1e12), kMax);
    EXPECT_EQ(RoundHalfEvenToInt32(-1e12), kMin);
    EXPECT_EQ(RoundHalfEvenToInt32(std::nan("")), 0);
    EXPECT_EQ(RoundHalfEvenToInt32(-2.5), -2);
    EXPECT_EQ(FloorToInt32(250.9), 250);
    EXPECT_EQ(FloorToInt32(-0.1), -1);
    EXPECT_EQ(FloorToInt32(std::numeric_limits<double>::infinity()), kMax);
}

TEST(CommonRounding, SinglePrecisionRoundsToTheNearestFloat)
{
    EXPECT_EQ(ToSingle(497.9999999999999), 498.0f);
    EXPECT_EQ(ToSingle(0.1), 0.1f);
    EXPECT_EQ(ToSingle(1e300), std::numeric_limits<float>::infinity());
    EXPECT_EQ(ToSingle(-1e300), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(ToSingle(0x1.fffffefp127), std::numeric_limits<float>::max());
}

}  // namespace
}  // namespace tavrin
