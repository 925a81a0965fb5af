// The survey CSV (rtl_power's layout) read back field by field, against frequencies and levels
// worked out by hand: point 251 at the centre, 50 points a division, Hz high = Hz low + 500 steps.
#include "record/record_survey.h"
#include "support/temp_dir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace tavrin {
namespace {

using Fields = std::vector<std::string>;

Fields Split(const std::string &line)
{
    Fields fields;
    for (size_t at = 0;;) {
        const size_t comma = line.find(", ", at);
        fields.push_back(line.substr(at, comma - at));
        if (comma == std::string::npos)
            return fields;
        at = comma + 2;
    }
}

TraceRecord Entry(double centerMHz, const char *span, int16_t ref, int16_t point = 1023)
{
    // 1 Jan 2025, 12:00:01 local time
    TraceRecord r{45658.5 + 1.0 / 86400, centerMHz, FixedText<12>(span), ref, FixedText<8>("4MHZ")};
    r.points.fill(point);
    return r;
}

TEST(SurveyCsvTest, EachFieldOfALineAtTheSpanEdges)
{
    struct Case { double center; const char *span; const char *low, *high, *step; };
    const Case cases[] = {
        {80, "10MHZ/DIV", "29800000", "129800000", "200000.00"},        // 80 - 251 x 0.2 MHz
        {433.92, "100KHZ/DIV", "433418000", "434418000", "2000.00"},   // 433.92 - 251 x 2 kHz
        {0.5, "2KHZ/DIV", "489960", "509960", "40.00"},                // the narrowest: 40 Hz a point
        {1100, "100MHZ/DIV", "598000000", "1598000000", "2000000.00"}, // the widest
    };
    for (const Case &c : cases) {
        const std::string line = SurveyCsvLine(Entry(c.center, c.span, -10));
        ASSERT_EQ(line.back(), '\n');
        const Fields f = Split(line.substr(0, line.size() - 1));
        ASSERT_EQ(f.size(), 506u) << c.span;
        EXPECT_EQ(Fields(f.begin(), f.begin() + 7),
                  (Fields{"2025-01-01", "12:00:01", c.low, c.high, c.step, "1", "-10"}))
            << c.span;
    }
}

TEST(SurveyCsvTest, LevelsAreExactAndEveryLineCarriesItsOwnSettings)
{
    RecordTable table = {Entry(80, "10MHZ/DIV", 0), Entry(150.5, "1MHZ/DIV", -30, 0), Entry(150.5, "0HZ/DIV", 0),
                         Entry(150.5, "1MHZ/DIV", 20, 512), TraceRecord{}, Entry(80, "10MHZ/DIV", 0)};
    table[1].points[251] = 1023;
    int64_t leftOut = -1;
    const std::string csv = SurveyCsv(table, leftOut);
    EXPECT_EQ(leftOut, 1);  // the zero-span trace; the entry after the empty one is past the end
    std::istringstream in(csv);
    std::vector<Fields> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(Split(line));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0][2] + " " + lines[0][3], "29800000 129800000");
    // The settings change: 150.5 MHz at 20 kHz a point.
    EXPECT_EQ(lines[1][2] + " " + lines[1][3] + " " + lines[1][4], "145480000 155480000 20000.00");
    EXPECT_EQ(lines[1][6], "-109.921875");       // -30 - 1023 x 0.078125
    EXPECT_EQ(lines[1][6 + 251], "-30");         // the centre's point, at the reference
    EXPECT_EQ(lines[2][6], "-19.921875");        // 20 - 511 x 0.078125
    EXPECT_EQ(lines[2][505], "-19.921875");

    test::TempConfigHome home;
    const std::string path = home.Path() + "/survey.csv";
    int64_t written = -1;
    ASSERT_TRUE(WriteSurveyCsv(path, table, written).ok);
    std::ifstream file(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), csv);
    EXPECT_EQ(written, 1);
}

TEST(SurveyCsvTest, TracesWithoutAFrequencyAxisHaveNoLine)
{
    for (const TraceRecord &r : {Entry(80, "0HZ/DIV", 0), Entry(80, "", 0), Entry(80, "JUNK", 0), Entry(-5, "1MHZ/DIV", 0),
                                 Entry(1e300, "1MHZ/DIV", 0), Entry(std::nan(""), "1MHZ/DIV", 0)})
        EXPECT_EQ(SurveyCsvLine(r), "") << FieldText(r.spanCaption) << r.centerFreqMHz;
}

}  // namespace
}  // namespace tavrin
