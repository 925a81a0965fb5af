#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "common/number_format.h"

namespace tavrin {
namespace {

struct PictureCase {
    double value;
    const char *pattern;
    const char *text;
};

TEST(CommonFormatPicture, RoundsTheVisibleDecimalHalvesAwayFromZero)
{
    const PictureCase cases[] = {
        {0.0005, "#0.000", "0.001"},   {0.0015, "#0.000", "0.002"},   {-0.0005, "#0.000", "-0.001"},
        {0.00049, "#0.000", "0.000"},  {-0.0004, "#0.000", "0.000"},  {-0.0, "#0.0", "0.0"},
        {0.25, "#0.0", "0.3"},         {0.15, "#0.0", "0.2"},         {-0.05, "#0.0", "-0.1"},
        {9.96, "#0.0", "10.0"},        {99.9999, "#0.000", "100.000"}, {-79.921875, "#0.0", "-79.9"},
        {107, "#0.0", "107.0"},        {0, "#0.000", "0.000"},        {1234567.5, "#0.0", "1234567.5"},
        {0.1 + 0.2, "#0.000", "0.300"}, {100.019 - 100.0, "#0.000", "0.019"}, {99999, "#0.0", "99999.0"},
        {1e20, "#0.0", "100000000000000000000.0"}, {1e-20, "#0.0", "0.0"},
    };
    for (const PictureCase &c : cases)
        EXPECT_EQ(FormatPicture(c.value, c.pattern), c.text) << c.value << " " << c.pattern;
}

TEST(CommonFormatPicture, OptionalDecimalsGiveThreeToFive)
{
    const PictureCase cases[] = {
        {100.5, "#0.000##", "100.500"},       {100.123456, "#0.000##", "100.12346"},
        {100.1234, "#0.000##", "100.1234"},   {80, "#0.000##", "80.000"},
        {99.999995, "#0.000##", "100.000"},   {-0.000004, "#0.000##", "0.000"},
    };
    for (const PictureCase &c : cases)
        EXPECT_EQ(FormatPicture(c.value, c.pattern), c.text) << c.value;
}

TEST(CommonFormatPicture, AtPatternsRightAlignAndNeverCut)
{
    EXPECT_EQ(FormatPicture(-30, "@@@@"), " -30");
    EXPECT_EQ(FormatPicture(107, "@@@@"), " 107");
    EXPECT_EQ(FormatPicture(-1000, "@@@@"), "-1000");
    EXPECT_EQ(FormatAt("20", "@@@@"), "  20");
    EXPECT_EQ(FormatAt("SPAN = 1MHZ/DIV", "@@@@@@@@@@@@@"), "SPAN = 1MHZ/DIV");
    EXPECT_EQ(FormatAt("3KHZ", "@@@@@@@@@@@@@"), "         3KHZ");
    EXPECT_EQ(FormatAt("", "@@"), "  ");
}

TEST(CommonFormatPicture, UnsupportedPatternsAndNonFiniteValuesStillGiveText)
{
    EXPECT_EQ(FormatPicture(2.5, ""), "2.5");
    EXPECT_EQ(FormatPicture(2.5, "0.0 MHz"), "2.5");
    EXPECT_EQ(FormatPicture(std::nan(""), "#0.0"), "nan");
    EXPECT_EQ(FormatPicture(-std::numeric_limits<double>::infinity(), "#0.0"), "-inf");
    EXPECT_EQ(FormatFixed(123.4567, 3, 3), "123.457");
    EXPECT_EQ(FormatFixed(2.5, 0, 0), "3");
}

TEST(CommonPlainDecimal, ShortestWithoutExponentOrTrailingZeros)
{
    struct Case {
        double value;
        const char *text;
    } cases[] = {
        {80, "80"},          {150.5, "150.5"},     {123.45, "123.45"},  {0.25, "0.25"},
        {-3.5, "-3.5"},      {0.1 + 0.2, "0.3"},   {1e20, "100000000000000000000"},
        {1e-7, "0.0000001"}, {-0.0, "0"},          {0, "0"},            {1.0 / 3, "0.333333333333333"},
        {123456789012345678.0, "123456789012346000"}, {99999, "99999"}, {100.019, "100.019"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PlainDecimal(c.value), c.text) << c.text;
}

TEST(CommonPlainDecimal, PrintFormHasABlankForTheSignAndOneAfter)
{
    EXPECT_EQ(NumberPrintForm(80), " 80 ");
    EXPECT_EQ(NumberPrintForm(-3.5), "-3.5 ");
    EXPECT_EQ(NumberPrintForm(0.25), " 0.25 ");
    EXPECT_EQ(NumberPrintForm(-0.0), " 0 ");
    EXPECT_EQ(NumberPrintForm(5), " 5 ");
}

}  // namespace
}  // namespace tavrin
