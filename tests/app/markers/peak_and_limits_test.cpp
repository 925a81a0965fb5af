// Peak search, where limit points fall, and limit files.
#include <bit>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <tuple>

#include <gtest/gtest.h>

#include "limits/limit_file.h"
#include "limits/limit_lines.h"
#include "markers/marker_measurements.h"
#include "markers/peak.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

using Points = std::vector<std::pair<double, double>>;

// Markers 1 and 2 at 90 and 92 MHz (points 201 and 211 at 80 MHz, 10MHZ/DIV) on a flat -20 dBm
// trace with a 30 kHz RBW: 11 points of 0.2 MHz, -20 + 10 log10(2.2 MHz / 31.95 kHz) = -1.6205 dBm.
TEST(MarkerMeasurements, TakeTheirBandFromMarkersOneAndTwoOnTheScreen)
{
    MeasurementState state;
    state.spanCaption = "10MHZ/DIV", state.refLevelDbm = "0", state.rbwCaption = "30KHZ";
    TracePoints trace;
    trace.fill(767);
    struct Case {
        const char *unit, *marker1, *marker2;
        std::optional<double> band, noise;
    };
    const Case cases[] = {{"dBm", "90", "92", -1.6205, -65.0447},
                          {"dBu", "92", "90", 105.3795, 41.9553},
                          {"dBm", "90", "200", std::nullopt, -65.0447},  // marker 2 off the screen
                          {"dBm", "", "92", std::nullopt, std::nullopt}};
    for (const Case &c : cases) {
        state.unit = c.unit;
        const MarkerControls markers = {MarkerControl{true, c.marker1}, MarkerControl{true, c.marker2}};
        const MeasurementReadings r =
            MeasureWithMarkers(state, trace, ReadMarkers(state, trace, markers), {true, false, true});
        EXPECT_EQ(r.bandPower.has_value(), c.band.has_value()) << c.marker2;
        EXPECT_NEAR(r.bandPower.value_or(0), c.band.value_or(0), 1e-4);
        EXPECT_EQ(r.bandMHz, c.band ? 2.2 : 0);
        EXPECT_NEAR(r.noiseDensity.value_or(0), c.noise.value_or(0), 1e-4) << c.marker1;
        EXPECT_FALSE(r.occupied) << "switched off";
    }
}

TEST(PeakPoint, FirstHighestPointThenTheMiddleOfItsFlatTop)
{
    const std::pair<std::vector<size_t>, int> cases[] = {
        {{100, 101, 102}, 101}, {{100, 101}, 100}, {{100, 300}, 100}, {{497, 498, 499}, 498}, {{0}, 0},
        {{}, 249},  // all equal: p = 0, j = 499
    };
    for (const auto &[maxima, expected] : cases) {
        TracePoints trace{};
        trace.fill(100);
        for (size_t p : maxima)
            trace[p] = 900;
        EXPECT_EQ(PeakPoint(trace), expected) << maxima.size();
    }
}

// Centre 100 MHz: 10 MHz/div puts 50 MHz on the left edge; the row divisor is a hair above 80/1023.
TEST(LimitLines, FrequencyToColumnAndLevelToRow)
{
    MeasurementState state;
    state.centerFreqMHz = "100.000", state.spanCaption = "10MHZ/DIV", state.refLevelDbm = "-20";
    const std::pair<double, double> columns[] = {{100, 251}, {110, 301}, {50, 1}, {49, -4}};
    for (auto [mhz, x] : columns)
        EXPECT_EQ(LimiterX(state, mhz), x) << mhz;
    const std::pair<double, double> rows[] = {{-20, 1022.9999999999997}, {-100, 0}, {-60, 511.49999999999983}};
    for (auto [dBm, y] : rows)
        EXPECT_EQ(LimiterY(state, dBm), y) << dBm;
    EXPECT_LT(LimiterY(state, -120), 0.0);  // not limited to the screen
    state.spanCaption = "1MHZ/DIV";
    EXPECT_EQ(LimiterX(state, 104.94), 498.0) << "497.9999999999999 held in single precision";
    state.spanCaption = "0HZ/DIV";
    EXPECT_EQ(LimiterX(state, 100), 0.0);
    EXPECT_EQ(LimiterX(state, -1e300), 0.0);
}

class LimitFiles : public ::testing::Test {
protected:
    // Records as two little-endian doubles, whatever the host.
    std::string Write(const std::string &name, const Points &records, size_t extraBytes = 0)
    {
        std::string bytes;
        for (auto [f, l] : records)
            for (double v : {f, l})
                for (int i = 0; i < 8; ++i)
                    bytes += static_cast<char>(std::bit_cast<uint64_t>(v) >> (8 * i));
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << bytes << std::string(extraBytes, '\x07');
        return path;
    }
    test::TempConfigHome home;
    std::filesystem::path folder = home.Path();
};

// Whole records in file order; a file without a usable record is refused with its name in the reason.
TEST_F(LimitFiles, WholeRecordsInFileOrderAndNothingUnsafe)
{
    const double nan = std::nan(""), inf = std::numeric_limits<double>::infinity();
    const std::tuple<const char *, Points, size_t, Points> cases[] = {
        {"48 bytes", {{100, -20}, {110, -30}, {120, -25}}, 0, {{100, -20}, {110, -30}, {120, -25}}},
        {"16 bytes", {{100, -20}}, 0, {{100, -20}}},
        {"50 bytes: the tail is ignored", {{100, -20}, {110, -30}}, 2, {{100, -20}, {110, -30}}},
        {"NaN and infinities skipped", {{100, -20}, {nan, -30}, {120, inf}, {130, -40}}, 0, {{100, -20}, {130, -40}}},
        {"empty", {}, 0, {}}, {"short", {}, 15, {}}, {"nothing usable", {{nan, 1}}, 0, {}},
    };
    for (const auto &[name, records, extra, expected] : cases) {
        const std::string path = Write("x.lim", records, extra);
        LimitFileResult r = ReadLimitFile(path);
        Points points;
        for (const LimitPoint &p : r.points)
            points.emplace_back(p.freqMHz, p.levelDbm);
        EXPECT_EQ(points, expected) << name;
        EXPECT_EQ(r.ok, !expected.empty()) << name;
        if (r.ok) {
            EXPECT_EQ(r.tailBytes, static_cast<int>(extra)) << name;
        } else {
            EXPECT_NE(r.error.find(path), std::string::npos) << r.error;
        }
    }
    for (const std::string &p : {(folder / "missing.lim").string(), folder.string()})
        EXPECT_NE(ReadLimitFile(p).error.find(p), std::string::npos) << p;
}

TEST_F(LimitFiles, TheSelectorListsLimitNamesOnly)
{
    for (const char *name : {"b.lim", "a.lim", "notes.txt", ".lim"})
        Write(name, {{1, 1}});
    std::filesystem::create_directories(folder / "dir.lim");
    EXPECT_EQ(ListLimitNames(folder.string()), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(ListLimitNames((folder / "nowhere").string()).empty());
}

}  // namespace
}  // namespace tavrin
