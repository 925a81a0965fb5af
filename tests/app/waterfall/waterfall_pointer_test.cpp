// What the pointer stands on in the waterfall, and when a click there may move a marker.
#include <optional>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "waterfall/waterfall_pointer.h"

namespace tavrin {
namespace {

constexpr std::time_t kT = 1700000000;

Trace At(std::time_t time, int point, int16_t level, AnalyzerSettings settings = {100.0, "1MHZ/DIV", 0, "4MHZ"})
{
    Trace t;
    t.points[static_cast<size_t>(point)] = level;
    t.settings = std::move(settings);
    t.time = time;
    return t;
}

class WaterfallPointer : public ::testing::Test {
protected:
    WaterfallPointer()
    {
        rows.SetHeights({100, 5, 15});
        rows.Add(At(kT, 300, 512));      // a separator (5 pixel rows) comes first
        rows.Add(At(kT + 1, 300, 1023));
        // From the top: the newer trace, the older one, the separator; nothing below pixel row 6.
    }
    WaterfallRows rows;
    // A column a point, 50 device pixels of time column, 20 pixels of header.
    WaterfallGeometry geometry{20, 1, 50, 499, 100};
};

TEST_F(WaterfallPointer, RowsFromTheTopAndColumnsFromTheTimeColumnOn)
{
    const std::optional<WaterfallSpot> newest = WaterfallAt(rows, geometry, 350, 20);
    ASSERT_TRUE(newest);
    EXPECT_EQ(newest->row, 2u);
    EXPECT_EQ(newest->time, kT + 1);
    EXPECT_EQ(newest->point, 300);
    EXPECT_DOUBLE_EQ(newest->freqMHz, 100.98);
    EXPECT_EQ(newest->level, 0.0);
    EXPECT_EQ(WaterfallReadoutText(*newest), ClockText(kT + 1) + "  100.980 MHz  0.0 dBm");
    const std::optional<WaterfallSpot> older = WaterfallAt(rows, geometry, 350.9, 21.9);
    ASSERT_TRUE(older);
    EXPECT_EQ(std::tuple(older->row, older->point, older->level), std::tuple(1u, 300, -39.921875));
    const std::optional<WaterfallSpot> band = WaterfallAt(rows, geometry, 100, 26);
    ASSERT_TRUE(band);
    EXPECT_EQ(band->kind, RowKind::Separator);
    EXPECT_EQ(WaterfallReadoutText(*band), ClockText(kT) + "  100.000 MHz  1MHZ/DIV  Ref 0 dBm  RBW 4MHZ");
    // The header, below the last row, the time column, the colour scale.
    for (auto [x, y] : {std::pair{350.0, 19.9}, {350.0, 27.0}, {49.9, 20.0}, {549.0, 20.0}, {-1.0, 20.0}})
        EXPECT_FALSE(WaterfallAt(rows, geometry, x, y)) << x << "," << y;
}

TEST_F(WaterfallPointer, ANarrowWindowsColumnShowsItsStrongestPoint)
{
    // 100 columns: column 10 shows points 49..54, the first of the two strongest.
    Trace t = At(kT + 2, 52, 700);
    t.points[54] = 700, t.points[50] = 600;
    rows.Add(t);
    const std::optional<WaterfallSpot> spot = WaterfallAt(rows, {20, 1, 50, 100, 100}, 60, 20);
    ASSERT_TRUE(spot);
    EXPECT_EQ(spot->point, 52);
    EXPECT_DOUBLE_EQ(spot->freqMHz, 96.02);
    // At twice the pixels, logical (200.25, 20.5) is device (400, 1): column 300 of 998 shows
    // point 150, of the row under the newest.
    const std::optional<WaterfallSpot> sharp = WaterfallAt(rows, {20, 2, 100, 998, 200}, 200.25, 20.5);
    ASSERT_TRUE(sharp);
    EXPECT_EQ(std::tuple(sharp->row, sharp->point), std::tuple(2u, 150));
}

TEST_F(WaterfallPointer, ZeroSpanAndDbuRows)
{
    Trace t = At(kT + 3, 10, 512, {433.92, "0HZ/DIV", -20, "3KHZ"});
    t.dBu = true;
    rows.Add(t);  // a separator first: the settings changed
    const std::optional<WaterfallSpot> spot = WaterfallAt(rows, geometry, 60, 20);
    ASSERT_TRUE(spot);
    EXPECT_EQ(WaterfallReadoutText(*spot),
              ClockText(kT + 3) + "  433.920 MHz (zero span: the time within the sweep is not known)  47.1 dBu");
}

TEST_F(WaterfallPointer, AClickMovesTheMarkerOnlyOnARowOfTheDisplaysFrequencies)
{
    MeasurementState display;
    display.centerFreqMHz = "100.000", display.spanCaption = "1MHZ/DIV";
    const WaterfallSpot newest = *WaterfallAt(rows, geometry, 350, 20);
    EXPECT_EQ(MarkerFromWaterfall(rows, newest, display, 2), (MarkerChange{2, "100.980"}));
    EXPECT_EQ(MarkerFromWaterfall(rows, *WaterfallAt(rows, geometry, 100, 26), display, 2), std::nullopt) << "a band";
    display.centerFreqMHz = "100.001";
    EXPECT_EQ(MarkerFromWaterfall(rows, newest, display, 2), std::nullopt);

    const AnalyzerSettings row{123.4567, "1MHZ/DIV", 0, "4MHZ"};
    const std::tuple<const char *, const char *, AnalyzerSettings, bool> cases[] = {
        {"123.457", "1MHZ/DIV", row, true},  // the panel shows the report to three decimals
        {"123.457", " 1mhz/div ", row, true},
        {"123.457", "1MHZ/DIV", {123.4567, "1MHZ/DIV", -30, "30KHZ"}, true},  // levels do not move points
        {"123.456", "1MHZ/DIV", row, false},
        {"123.457", "2MHZ/DIV", row, false},
        {"123.457", "0HZ/DIV", {123.457, "0HZ/DIV", 0, "4MHZ"}, false},
        {"123.457", "0HZ/DIV", {123.457, "", 0, "4MHZ"}, false},  // a span code outside the table
    };
    for (const auto &[center, span, settings, same] : cases) {
        display.centerFreqMHz = center, display.spanCaption = span;
        EXPECT_EQ(SameFrequencies(settings, display), same) << center << " " << span << " " << settings.span;
    }
}

}  // namespace
}  // namespace tavrin
