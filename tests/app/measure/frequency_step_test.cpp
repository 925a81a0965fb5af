// One frequency step of the centre and marker spinners, and the typed centre frequency.
#include "measure/frequency_step.h"

#include <gtest/gtest.h>

using namespace tavrin;

namespace {

TEST(FrequencyStep, MovesOneStepInsideZeroToElevenHundredOnly)
{
    struct Case {
        const char *text;
        int direction;
        float step;
        const char *expected;  // nullptr: unchanged
    };
    const Case cases[] = {
        {"80.000", 1, 1.0f, "81.000"},    {"80.000", -1, 1.0f, "79.000"},
        {"1099.500", 1, 1.0f, nullptr},   {"1.000", -1, 1.0f, nullptr},  // 0 is excluded too
        {"0.300", -1, 0.5f, nullptr},     {"100.000", 1, 0.5f, "100.500"},
        {"100", 1, 0.001f, "100.001"},    {"abc", 1, 1.0f, "1.000"},
        {"80.000", 0, 1.0f, nullptr},     {"1098.999", 1, 1.0f, "1099.999"},
        {"80", 7, 0.1f, "80.100"},        {"80", -3, 0.1f, "79.900"},  // a sign, not a count
    };
    for (const Case &c : cases) {
        auto moved = StepFrequencyText(c.text, c.direction, c.step);
        if (c.expected) {
            ASSERT_TRUE(moved.has_value()) << c.text;
            EXPECT_EQ(*moved, c.expected) << c.text;
        } else {
            EXPECT_FALSE(moved.has_value()) << c.text << " -> " << moved.value_or("");
        }
    }
}

TEST(FrequencyStep, ATypedCentreIsRewrittenWithThreeDecimals)
{
    EXPECT_EQ(NormalizeFrequencyText("12.34567"), "12.346");
    EXPECT_EQ(NormalizeFrequencyText("abc"), "0.000");
    EXPECT_EQ(NormalizeFrequencyText(" 433.92MHz"), "433.920");
    EXPECT_EQ(NormalizeFrequencyText("-5"), "-5.000");
}

}  // namespace
