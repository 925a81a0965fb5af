// The peaks of a trace: which tops count (excursion, threshold, plateaus, equal tops, the screen's
// edges), their table, and the marker moves between them.
#include <gtest/gtest.h>

#include <map>

#include "markers/peak.h"
#include "markers/peak_tools.h"

namespace tavrin {
namespace {

// A floor at 100 (923 steps, -72.109375 dBm below 0 dBm) with the given points raised.
TracePoints Floor(const std::map<int, int16_t> &raised, int16_t floor = 100)
{
    TracePoints trace;
    trace.fill(floor);
    for (const auto &[point, value] : raised)
        trace[static_cast<size_t>(point)] = value;
    return trace;
}

// 100 MHz in the middle, 0.02 MHz a point: point 201 is 99 MHz, point 301 is 101 MHz.
MeasurementState At100()
{
    MeasurementState state;
    state.centerFreqMHz = "100.000", state.spanCaption = "1MHZ/DIV", state.refLevelDbm = "0";
    return state;
}

std::vector<int> Points(const std::vector<Peak> &peaks)
{
    std::vector<int> points;
    for (const Peak &p : peaks)
        points.push_back(p.point);
    return points;
}

TEST(PeakTools, WhichTopsArePeaks)
{
    struct Case {
        const char *what;
        std::map<int, int16_t> raised;
        std::vector<int> peaks;
    };
    const Case cases[] = {
        {"a flat top of four stands on its second point, of three on its middle",
         {{200, 900}, {201, 900}, {202, 900}, {203, 900}, {300, 800}, {301, 800}, {302, 800}}, {201, 301}},
        {"equal tops with the floor between: both", {{150, 900}, {350, 900}}, {150, 350}},
        {"equal tops 1.5625 dB apart: the left one", {{200, 900}, {201, 880}, {202, 900}}, {200}},
        {"a top on point 0 or 498 is none", {{0, 900}, {1, 900}, {497, 300}, {498, 1000}}, {}},
        {"a valley may reach the edge", {{2, 900}}, {2}},
        {"point 499 is never a point", {{497, 500}, {499, 1000}}, {497}},
        {"a shoulder 3.125 dB above its dip beside a higher top", {{300, 900}, {301, 560}, {302, 600}}, {300}},
        {"77 steps (6.015625 dB) rise enough, 76 (5.9375 dB) do not", {{100, 177}, {200, 176}}, {100}},
        {"a top with a higher neighbour is a slope", {{100, 500}, {101, 600}, {102, 700}}, {102}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Points(FindPeaks(At100(), Floor(c.raised), {})), c.peaks) << c.what;
    // The dip of 40 steps beside the shoulder is enough at 3 dB; 64 steps are exactly 5 dB.
    EXPECT_EQ(Points(FindPeaks(At100(), Floor({{300, 900}, {301, 560}, {302, 600}}), {3.0})), (std::vector<int>{300, 302}));
    EXPECT_EQ(Points(FindPeaks(At100(), Floor({{100, 164}, {200, 163}}), {5.0})), std::vector<int>{100});
    EXPECT_TRUE(FindPeaks(At100(), Floor({}), {0.0}).empty()) << "a flat trace has no top inside the screen";
}

TEST(PeakTools, ThresholdAndWhereThePeaksAre)
{
    const TracePoints trace = Floor({{201, 900}, {301, 800}});
    // 900 is 123 steps below 0 dBm: -9.609375 dBm; 800 is -17.421875 dBm.
    const std::vector<Peak> both = FindPeaks(At100(), trace, {6, -17.421875});
    ASSERT_EQ(Points(both), (std::vector<int>{201, 301})) << "a peak on the threshold counts";
    EXPECT_DOUBLE_EQ(both[0].freqMHz, 99.0);
    EXPECT_EQ(both[0].levelDbm, -9.609375);
    EXPECT_DOUBLE_EQ(both[1].freqMHz, 101.0);
    EXPECT_EQ(both[1].levelDbm, -17.421875);
    EXPECT_EQ(Points(FindPeaks(At100(), trace, {6, -17.4})), std::vector<int>{201});
    EXPECT_TRUE(FindPeaks(At100(), trace, {6, 0}).empty());
    MeasurementState zero = At100();
    zero.spanCaption = "0HZ/DIV";
    for (const Peak &p : FindPeaks(zero, trace, {}))
        EXPECT_EQ(p.freqMHz, 100.0) << "every point of zero span is taken at the centre";
    EXPECT_EQ(PeakFrequencyMHz(zero, 201), 100.0);
    EXPECT_EQ(PeakFrequencyMHz(At100(), 201), 99.0);
}

TEST(PeakTools, TableIsHighestFirstEqualsLeftFirstAndCut)
{
    std::map<int, int16_t> raised;
    for (int i = 0; i < 12; ++i)
        raised[20 + 40 * i] = static_cast<int16_t>(300 + 50 * (i % 6));  // 300..550, each twice
    const std::vector<Peak> table = PeakTable(FindPeaks(At100(), Floor(raised), {}));
    EXPECT_EQ(Points(table), (std::vector<int>{220, 460, 180, 420, 140, 380, 100, 340, 60, 300}));
    EXPECT_EQ(PeakTable(FindPeaks(At100(), Floor(raised), {}), 3).size(), 3u);
    EXPECT_EQ(PeakTableCsv({table[0]}, false), "rank,freq_mhz,level_dbm\r\n1,99.38,-36.953125\r\n");
    EXPECT_EQ(PeakTableCsv({table[0]}, true), "rank,freq_mhz,level_dbu\r\n1,99.38,70.046875\r\n");
}

TEST(PeakTools, NextPeakWalksTheTableAndLeftRightTakeTheNearest)
{
    const TracePoints trace = Floor({{100, 900}, {200, 800}, {300, 800}, {400, 700}});
    const std::vector<Peak> peaks = FindPeaks(At100(), trace, {});
    std::vector<int> walk;
    for (std::optional<Peak> at = Peak{100, 900}; (at = NextPeak(peaks, at->point, at->value));)
        walk.push_back(at->point);
    EXPECT_EQ(walk, (std::vector<int>{200, 300, 400}));
    EXPECT_EQ(NextPeak(peaks, 250, 850)->point, 200) << "a marker between peaks";
    EXPECT_EQ(NextPeak(peaks, 0, 1023)->point, 100) << "a marker above them all";
    EXPECT_EQ(PeakLeftOf(peaks, 250)->point, 200);
    EXPECT_EQ(PeakRightOf(peaks, 250)->point, 300);
    EXPECT_EQ(PeakLeftOf(peaks, 200)->point, 100) << "not the peak it stands on";
    EXPECT_FALSE(PeakLeftOf(peaks, 100));
    EXPECT_FALSE(PeakRightOf(peaks, 400));
}

// Track peak and Peak agree, also on a flat top; a maximum on point 499 keeps the marker on screen.
TEST(PeakTools, TrackPeakIsWherePeakPutsMarkerOne)
{
    const TracePoints plateau = Floor({{200, 900}, {201, 900}, {202, 900}, {203, 900}});
    EXPECT_EQ(TrackPeakPoint(plateau), PeakPoint(plateau));
    EXPECT_EQ(TrackPeakPoint(plateau), PeakTable(FindPeaks(At100(), plateau, {}))[0].point);
    EXPECT_EQ(TrackPeakPoint(Floor({{499, 900}})), 498);
    EXPECT_EQ(TrackPeakPoint(Floor({{0, 900}})), 0) << "the highest point, even where no peak is";
}

}  // namespace
}  // namespace tavrin
