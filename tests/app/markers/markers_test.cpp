// The peaks of a trace (which tops count, their table, the marker moves between them), the markers
// moved by pointing (a click, the arrow keys, Peak, centring on a marker), and marker measurements.
#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "markers/marker_measurements.h"
#include "markers/marker_pointer.h"
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

MeasurementState At(const char *center, const char *span)
{
    MeasurementState s;
    s.centerFreqMHz = center, s.spanCaption = span, s.refLevelDbm = "0";
    return s;
}

// 100 MHz in the middle, 0.02 MHz a point: point 201 is 99 MHz, point 301 is 101 MHz.
MeasurementState At100() { return At("100.000", "1MHZ/DIV"); }

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

MarkerControls Marker(int index, const char *text, bool enabled = true)
{
    MarkerControls markers{};
    markers[static_cast<size_t>(index)] = {enabled, text, "NONE"};
    return markers;
}

TEST(MarkersPointer, AClickPutsTheMarkerOnThePointAsADroppedLabelDoes)
{
    const MeasurementState s = At("100.000", "1MHZ/DIV");  // 0.02 MHz a point
    const std::tuple<MeasurementState, int, double, std::optional<MarkerChange>> cases[] = {
        {s, 1, 300.4, MarkerChange{1, "100.980"}},
        {s, 0, -20, MarkerChange{0, "94.980"}},  // left of the graticule: point 0
        {s, 4, 600, MarkerChange{4, "104.940"}},
        {At("100.000", "2KHZ/DIV"), 2, 252, MarkerChange{2, "100.00004"}},
        {At("100.000", "0HZ/DIV"), 0, 300, std::nullopt},
        {s, 5, 300, std::nullopt},
        {s, -1, 300, std::nullopt},
    };
    for (const auto &[state, index, x, change] : cases)
        EXPECT_EQ(MarkerToX(state, index, x), change) << state.spanCaption << " " << index << " " << x;
}

TEST(MarkersPointer, ArrowKeysMoveTheMarkerByPointsAndDivisionsOntoTheScreen)
{
    const MeasurementState s = At("100.000", "1MHZ/DIV");
    const std::tuple<MarkerControls, int, std::optional<std::string>> cases[] = {
        {Marker(0, "100.000"), 1, "100.020"},
        {Marker(0, "100.000"), -1, "99.980"},
        {Marker(0, "100.000"), 50, "101.000"},
        {Marker(0, "100.000"), -50, "99.000"},
        {Marker(0, "100.019"), 1, "100.020"},  // read on point 251, as its label stands
        {Marker(0, "104.180"), 50, "104.940"},  // point 460: a division on is past the edge
        {Marker(0, "104.940"), 1, std::nullopt},
        {Marker(0, "95.000"), -1, std::nullopt},  // point 1: the lowest a label shows on
        {Marker(0, "94.980"), 1, "95.000"},       // point 0 shows no label: onto the edge
        {Marker(0, "94.980"), -1, "95.000"},
        {Marker(0, ""), 1, "95.000"},             // no frequency: far left of the screen
        {Marker(0, "200"), -1, "104.940"},        // right of the screen
        {Marker(0, "200"), 1, "104.940"},
        {Marker(0, "100.000", false), 1, "100.020"},  // switched on by the move
        {Marker(0, "104.940", false), 1, "104.940"},
    };
    for (const auto &[markers, points, text] : cases) {
        const std::optional<MarkerChange> change = MarkerByPoints(s, markers, 0, points);
        EXPECT_EQ(change ? std::optional(change->freqText) : std::nullopt, text) << markers[0].freqText << " " << points;
    }
    EXPECT_EQ(MarkerByPoints(s, Marker(3, "100.000"), 3, 1), (MarkerChange{3, "100.020"}));
    EXPECT_EQ(MarkerByPoints(At("100.000", "0HZ/DIV"), Marker(0, "100.000"), 0, 1), std::nullopt);
}

TEST(MarkersPointer, PeakIsThePeakButtonsAndCentreOnMarkerTheCentreFieldsRule)
{
    TracePoints trace{};
    trace[100] = trace[101] = trace[102] = 900;
    EXPECT_EQ(PeakMarker(At("100.000", "1MHZ/DIV"), trace), (MarkerChange{0, "97.0000"}));

    const MeasurementState s = At("650.000", "50MHZ/DIV");
    const std::tuple<MarkerControls, int, std::optional<SettingsChange>> cases[] = {
        {Marker(2, "700.5"), 2, SettingsChange{"700.500", std::nullopt, std::nullopt, false}},
        {Marker(2, "1100"), 2, SettingsChange{"1100.000", 12, std::nullopt, true}},  // the span narrowed first
        {Marker(2, "650.0001"), 2, std::nullopt},
        {Marker(2, "700.5", false), 2, std::nullopt},
        {Marker(2, ""), 2, std::nullopt},
        {Marker(2, "700.5"), 1, std::nullopt},
        {Marker(2, "700.5"), 7, std::nullopt},
    };
    for (const auto &[markers, index, change] : cases)
        EXPECT_EQ(CenterOnMarker(s, markers, index), change) << index << " " << markers[2].freqText;
}

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

}  // namespace
}  // namespace tavrin
