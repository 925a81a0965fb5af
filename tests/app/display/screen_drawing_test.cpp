// DrawGrid and DrawTrace on a surface that records what they draw.
#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "common/color.h"
#include "display/screen_view.h"
#include "support/recording_surface.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

using test::DrawOp;
using test::RecordingSurface;
using Kind = DrawOp::Kind;
using Texts = std::vector<std::string>;
using Points = std::vector<std::pair<double, double>>;

constexpr uint32_t kTrace = Rgb(1, 0, 0), kPlay = Rgb(2, 0, 0), kGrid = Rgb(5, 0, 0), kText = Rgb(6, 0, 0),
                   kBase = Rgb(7, 0, 0), kLive = Rgb(9, 9, 9), kBlue = Rgb(0, 0, 192), kRed = Rgb(255, 0, 0);
constexpr double kRow50 = 383.625;  // -50 dBm at the reference level 0 dBm; -80 dBm is row 0

// Centre 100 MHz, 1MHZ/DIV (0.02 MHz per point), reference level 0 dBm. The fixture is the display's
// marker labels too, remembering what it was told when the markers were read.
class ScreenDrawing : public ::testing::Test, public MarkerLabels {
protected:
    ScreenDrawing()
    {
        state.centerFreqMHz = "100.000", state.spanCaption = "1MHZ/DIV", state.refLevelDbm = "0";
        live.fill(600);
        play.fill(300);
        view.state = &state, view.colors = &colors, view.liveTrace = &live, view.playTrace = &play;
        view.traceDrawColor = kLive, view.limits = &limits, view.markers = &markers;
    }
    RecordingSurface Grid(bool printer = false)
    {
        RecordingSurface surface(printer);
        DrawGrid(surface, view);
        return surface;
    }
    RecordingSurface Trace()
    {
        RecordingSurface surface;
        view.readings = ReadMarkers(state, live, markers);
        ShowMarkerLabels(*this, *view.readings);
        DrawTrace(surface, view);
        return surface;
    }
    // Limit points by screen column (at 100 MHz, 1 MHz/div) and level.
    void SetLimit(size_t k, const Points &columnsAndLevels)
    {
        limits[k] = {true, "mask", limits[k].color, {}};
        for (auto [x, level] : columnsAndLevels)
            limits[k].points.push_back({100.0 + (x - 251.0) * 0.02, level});
    }
    std::vector<DrawOp> Dotted()
    {
        std::vector<DrawOp> lines = Grid().Lines();
        std::erase_if(lines, [](const DrawOp &op) { return op.style != DrawStyle::Dotted; });
        return lines;
    }

    MeasurementState state;
    DisplayColors colors{kTrace, kPlay, Rgb(3, 0, 0), Rgb(4, 0, 0), kGrid, kText, kBase};
    TracePoints live{}, play{};
    LimitLines limits = InitialLimitLines();
    MarkerControls markers;
    // The display's marker labels.
    void Show(int index, bool visible) override { shown.at(static_cast<size_t>(index)) = visible; }
    bool Visible(int index) const override { return shown.at(static_cast<size_t>(index)); }
    void Move(int index, double left, double top) override { placements.emplace_back(index, left, top); }
    double HalfWidth() const override { return 6.5; }
    double Height() const override { return 20; }
    std::array<bool, kMarkerCount> shown{};
    std::vector<std::tuple<int, double, double>> placements;
    ScreenView view;
};

// Columns every round(49.8) and rows every round(127.875); then the limit lines, which the bands
// (the window's in Base, the printer's white) cover where they leave the graticule.
TEST_F(ScreenDrawing, GraticuleLimitLinesAndBandsInThisOrder)
{
    using Shape = std::tuple<Kind, double, double, double, double, uint32_t>;
    SetLimit(0, {{100, -80}, {200, -80}});
    for (bool printer : {false, true}) {
        std::vector<Shape> expected, drawn;
        if (!printer)
            expected.emplace_back(Kind::FilledRectangle, 0, 0, 498, 1023, Rgb(4, 0, 0));
        expected.emplace_back(Kind::Rectangle, 0, 0, 498, 1023, kGrid);
        for (double x = 0; x <= 450; x += 50)
            expected.emplace_back(Kind::Line, x, 0, x, 1023, kGrid);
        for (double y = 0; y <= 896; y += 128)
            expected.emplace_back(Kind::Line, 0, y, 498, y, kGrid);
        expected.emplace_back(Kind::Line, 100, 0, 200, 0, kBlue);
        const uint32_t band = printer ? Rgb(255, 255, 255) : kBase;
        expected.emplace_back(Kind::FilledRectangle, -1, printer ? 2000 : 1100, 500, 1027, band);
        expected.emplace_back(Kind::FilledRectangle, -1, -5, 500, printer ? -1000 : -430, band);
        for (const DrawOp &op : Grid(printer).OfKind({Kind::Line, Kind::Rectangle, Kind::FilledRectangle}))
            drawn.emplace_back(op.kind, op.x1, op.y1, op.x2, op.y2, op.color);
        EXPECT_EQ(drawn, expected) << "printer " << printer;
    }
}

TEST_F(ScreenDrawing, LevelScaleCountsDownFromTheReferenceLevel)
{
    const std::tuple<const char *, const char *, Texts> cases[] = {
        {"0", "dBm", {"   0", " -10", " -20", " -30", " -40", " -50", " -60", " -70", " -80", "[ dBm ]"}},
        {"-30", " dBm  ", {" -30", " -40", " -50", " -60", " -70", " -80", " -90", "-100", "-110", "[ dBm ]"}},
        {"0", "dBu", {" 107", "  97", "  87", "  77", "  67", "  57", "  47", "  37", "  27", "[ dBu ]"}},
    };
    for (const auto &[refLevel, unit, labels] : cases) {
        state.refLevelDbm = refLevel, state.unit = unit;
        EXPECT_EQ(Grid().TextsAt({{-35, 1035}, {-35, 907.125}, {-35, 779.25}, {-35, 651.375}, {-35, 523.5},
                                   {-35, 395.625}, {-35, 267.75}, {-35, 139.875}, {-35, 12}, {-46, -60}}),
                  labels);
    }
}

TEST_F(ScreenDrawing, SettingsColumnWindowAndMarkerTableInNinePointTextColour)
{
    state.centerFreqMHz = " 80.000 ", state.spanCaption = " 10MHZ/DIV ", state.rbwCaption = " 220KHZ ";
    RecordingSurface surface = Grid();
    EXPECT_EQ(surface.TextsAt({{230, -3}, {230, -37}, {230, -72}, {0, -3}, {400, -3}}),
              (Texts{"CF = 80.000MHZ", "SPAN = 10MHZ/DIV", "RBW = 220KHZ", "Start:  30.000MHz", "Stop:  130.000MHz"}));
    EXPECT_EQ(surface.TextsAt({{5, -128}, {55, -128}, {155, -128}, {230, -128}, {305, -128}, {405, -128}, {10, -178},
                               {10, -228}, {10, -278}, {10, -328}, {10, -378}}),
              (Texts{"MKR", "Freq. (MHz)", "Level", "Delta MKR", "Delta Freq.(MHz)", "Delta Level", " 1 ", " 2 ",
                     " 3 ", " 4 ", " 5 "}));
    // DrawTrace relies on the text colour, 9 points and solid lines being left in force.
    for (const DrawOp &op : surface.OfKind({Kind::Print}))
        EXPECT_EQ(std::tuple(op.color, op.fontSize, op.style), std::tuple(kText, 9.0, DrawStyle::Solid)) << op.text;
}

TEST_F(ScreenDrawing, AveragingCountShownOnlyWhileAcquiring)
{
    const std::tuple<bool, bool, int, int, Texts> cases[] = {
        {true, true, 3, 3, {"Avg = 3"}}, {true, true, 8, 0, {"Avg = 8"}}, {true, true, 20, 4, {"Avg = 8"}},
        {true, false, 8, 0, {}},         {false, true, 8, 0, {}},
    };
    for (const auto &[on, running, fill, slot, text] : cases) {
        view.averaging = {on, 8, fill, slot}, view.running = running;
        EXPECT_EQ(Grid().TextsAt({{400, -37}}), text) << on << running << fill;
    }
}

TEST_F(ScreenDrawing, LimitSegmentsAreClippedToColumnsZeroTo500)
{
    const std::tuple<const char *, Points, std::vector<std::vector<double>>> cases[] = {
        {"enters from the left", {{-20, -80}, {40, -50}}, {{0, kRow50 / 3, 40, kRow50}}},
        {"leaves right and ends the line", {{100, -80}, {480, -80}, {520, -50}, {300, -80}, {400, -80}},
         {{100, 0, 480, 0}, {480, 0, 500, kRow50 / 2}}},
        {"wholly left is skipped", {{-30, -80}, {-10, -80}, {90, -50}}, {{0, kRow50 * 0.1, 90, kRow50}}},
        {"visible to left draws nothing", {{100, -80}, {-10, -80}, {200, -80}}, {{0, 0, 200, 0}}},
        {"the edges are visible", {{100, -80}, {0, -80}, {500, -50}, {400, -80}},
         {{100, 0, 0, 0}, {0, 0, 500, kRow50}, {500, kRow50, 400, 0}}},
        {"starting right ends at once", {{501, -80}, {100, -80}, {200, -80}}, {}},
        {"vertical", {{100, -80}, {100, -50}, {-5, -80}, {-5, -50}}, {{100, 0, 100, kRow50}}},
        {"beyond single precision is left out", {{-1e300, -80}, {10, -50}, {20, -80}}, {{10, kRow50, 20, 0}}},
        {"one point draws nothing", {{10, -80}}, {}},
    };
    auto nearly = [](double v) { return std::round(v * 1024) / 1024; };  // rows are placed to within rounding
    for (const auto &[name, points, segments] : cases) {
        SetLimit(0, points);
        std::vector<std::vector<double>> drawn, expected;
        for (const DrawOp &op : Dotted())
            drawn.push_back({nearly(op.x1), nearly(op.y1), nearly(op.x2), nearly(op.y2)});
        for (const std::vector<double> &segment : segments)
            expected.push_back({nearly(segment[0]), nearly(segment[1]), nearly(segment[2]), nearly(segment[3])});
        EXPECT_EQ(drawn, expected) << name;
    }
}

// A million points from 94 to 106 MHz (x -49 to 551), zigzagging between -60 and -20 dBm: one stroke
// per column of pixels from the lowest to the highest level, the same whether the drawing walks to
// the screen's edge or halves its way there.
TEST_F(ScreenDrawing, AMillionLimitPointsCostWhatTheScreenIsWide)
{
    limits[0] = {true, "mask", kBlue, {}};
    for (int i = 0; i < 1'000'000; ++i)
        limits[0].points.push_back({94.0 + i * 12e-6, i % 2 ? -20.0 : -60.0});
    const std::vector<DrawOp> walked = Dotted();
    IndexLimitLine(limits[0]);
    const std::vector<DrawOp> halved = Dotted();
    ASSERT_EQ(walked.size(), halved.size());
    EXPECT_TRUE(std::equal(walked.begin(), walked.end(), halved.begin(), [](const DrawOp &a, const DrawOp &b) {
        return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
    }));
    EXPECT_LE(halved.size(), 501u);
    int strokes = 0;
    for (const DrawOp &op : halved) {
        EXPECT_TRUE(op.x1 >= 0 && op.x2 <= 500 && op.y1 > 255.7 && op.y2 < 767.3) << op.x1 << " " << op.x2;
        // -60 dBm lies 20 dB above row 0, -20 dBm 60 dB: 80 dB over 1023 rows.
        strokes += op.x1 == op.x2 && std::fabs(op.y1 - 255.75) < 1e-9 && std::fabs(op.y2 - 767.25) < 1e-9;
    }
    EXPECT_GE(strokes, 499);
    EXPECT_EQ(halved.front().x1, 0);
    EXPECT_EQ(halved.back().x2, 500);
}

// An indexed line is drawn again from the lines it drew, until its points or the settings change.
TEST_F(ScreenDrawing, ALimitLineIsDrawnAgainFromWhatItDrewUntilSomethingChanges)
{
    auto ends = [&] {
        std::vector<double> e;
        for (const DrawOp &op : Dotted())
            e.insert(e.end(), {op.x1, op.y1, op.x2, op.y2});
        return e;
    };
    SetLimit(0, {{10, -80}, {20, -80}});
    IndexLimitLine(limits[0]);
    EXPECT_EQ(ends(), (std::vector<double>{10, 0, 20, 0}));
    state.centerFreqMHz = "100.100";  // 5 points further right
    EXPECT_EQ(ends(), (std::vector<double>{5, 0, 15, 0}));
    limits[0].points[1].freqMHz += 0.2;
    IndexLimitLine(limits[0]);
    EXPECT_EQ(ends(), (std::vector<double>{5, 0, 25, 0}));
}

TEST_F(ScreenDrawing, EachLimitNeedsItsOwnBoxAndFileAndHasItsOwnColour)
{
    using Drawn = std::vector<std::pair<uint32_t, long>>;  // colour and row: line 1 at -80 dBm, line 2 at -50
    const std::tuple<bool, const char *, bool, const char *, Drawn> cases[] = {
        {true, "mask", true, "mask", {{kBlue, 0}, {kRed, 384}}}, {true, "mask", true, "NONE", {{kBlue, 0}}},
        {false, "mask", true, "mask", {{kRed, 384}}},            {true, "NONE", true, "mask", {{kRed, 384}}},
        {true, "none", false, "mask", {{kBlue, 0}}},
    };
    for (const auto &[shown1, selector1, shown2, selector2, expected] : cases) {
        SetLimit(0, {{10, -80}, {20, -80}});
        SetLimit(1, {{10, -50}, {20, -50}});
        limits[0].shown = shown1, limits[0].selector = selector1;
        limits[1].shown = shown2, limits[1].selector = selector2;
        Drawn drawn;
        for (const DrawOp &op : Dotted())
            drawn.emplace_back(op.color, std::lround(op.y1));
        EXPECT_EQ(drawn, expected) << selector1 << shown1 << selector2 << shown2;
    }
}

// Over the trace at the graticule's top, each in its line's colour; the text colour comes back.
TEST_F(ScreenDrawing, LimitVerdictsWithTheirMarginAndCounterInTheLinesColours)
{
    view.verdicts[0] = {{LimitOutcome::Fail, "", -1.015625, 433.9204, 101}, {3, 7}};
    view.verdicts[1] = {{LimitOutcome::None, "its points are out of order", 0, 0, 0}, {}};
    const RecordingSurface surface = Trace();
    std::vector<std::tuple<uint32_t, double, double, std::string>> printed;
    for (const DrawOp &op : surface.OfKind({Kind::Print}))
        if (op.text.rfind("Limit", 0) == 0)
            printed.emplace_back(op.color, op.x1, op.y1, op.text);
    EXPECT_EQ(printed, (decltype(printed){
                           {kBlue, 5, 1012, "Limit 1: FAIL, margin -1.02 dB at 433.9204 MHz, 3 of 7 traces failed"},
                           {kRed, 5, 967, "Limit 2: no verdict, its points are out of order"}}));
    EXPECT_EQ(surface.OfKind({Kind::ForeColor}).back().color, kText);
}

// A ramp, so that a point drawn at its neighbour's column shows.
TEST_F(ScreenDrawing, TraceIsOnePolylineThroughPointsZeroTo498)
{
    for (size_t i = 0; i < live.size(); ++i)
        live[i] = static_cast<int16_t>(2 * i + 5);
    std::vector<DrawOp> lines = Trace().Lines();
    ASSERT_EQ(lines.size(), 500u);
    EXPECT_EQ(std::tuple(lines[0].kind, lines[0].x1, lines[0].y1, lines[0].x2, lines[0].y2),
              std::tuple(Kind::Line, 0.0, 5.0, 0.0, 5.0));
    for (size_t i = 1; i < lines.size(); ++i) {
        const double x = static_cast<double>(i - 1), from = i == 1 ? 5 : 2 * x + 3;
        ASSERT_EQ(std::tuple(lines[i].kind, lines[i].y1, lines[i].x2, lines[i].y2, lines[i].color),
                  std::tuple(Kind::LineTo, from, x, 2 * x + 5, kLive)) << "point " << x;
    }
}

TEST_F(ScreenDrawing, PlaybackStateChoosesTracesColoursAndTheSecondTraceTexts)
{
    using Drawn = std::vector<std::pair<double, uint32_t>>;  // level (600 live, 300 played) and colour in order
    const std::tuple<const char *, bool, Drawn> cases[] = {
        {"Play", false, {{600, kLive}}},  {" Play ", true, {{600, kLive}}},
        {"Pause", false, {{600, kPlay}}}, {"Pause", true, {{300, kPlay}, {600, kTrace}}},
        {"pause", true, {}},              {"Stop", false, {}},
    };
    view.secondTrace = AnalyzerSettings{80, "1MHZ/DIV    ", -30, ""};
    for (const auto &[caption, running, expected] : cases) {
        view.playCaption = caption, view.running = running;
        RecordingSurface surface = Trace();
        Drawn drawn;
        for (const DrawOp &op : surface.Lines())
            if (drawn.empty() || drawn.back() != std::pair(op.y2, op.color))
                drawn.emplace_back(op.y2, op.color);
        EXPECT_EQ(drawn, expected) << caption << running;
        const bool second = expected.size() == 2;
        EXPECT_EQ(surface.TextsAt({{0, -37}, {105, -37}, {0, -72}, {105, -72}}),
                  (second ? Texts{"2nd Trace ->", "RefLvl:-30dBm", "CF :80MHz", "Span   :1MHZ/DIV"} : Texts{}));
        std::vector<uint32_t> colours;  // the Play colour for those texts, then the text colour again
        for (const DrawOp &op : surface.OfKind({Kind::ForeColor}))
            colours.push_back(op.color);
        EXPECT_EQ(colours, (second ? std::vector<uint32_t>{kPlay, kText} : std::vector<uint32_t>{}));
    }
}

// Marker 3 stands on 101 MHz (point 301, -39.921875 dBm) with marker 1 as its delta reference.
TEST_F(ScreenDrawing, MarkerRowsAndDeltaRowsNeedTheirLabelsOnTheScreen)
{
    live[0] = 0, live[251] = 1023, live[301] = 512;
    const std::tuple<const char *, bool, const char *, const char *, Texts, MarkerReading, Texts> cases[] = {
        {"marker 1 on the centre", true, "100", "1", {" 100 ", "0.0"}, {100, 0}, {"1", "1.000", "-39.9"}},
        {"its own reference", true, "100", "3", {" 100 ", "0.0"}, {100, 0}, {"3", "0.000", "0.0"}},
        {"no reference", true, "100", "NONE", {" 100 ", "0.0"}, {100, 0}, {}},
        {"marker 1 switched off reads nothing", false, "100", "1", {}, {0, 0}, {}},
        {"marker 1 above the screen reads point 0", true, "200", "1", {}, {200, -79.921875}, {}},
        {"marker 1 without a number", true, "abc", "1", {}, {0, -79.921875}, {}},
    };
    for (const auto &[name, on, freq, ref, row1, reading1, delta3] : cases) {
        markers[0] = {on, freq, "NONE"};
        markers[2] = {true, "101", ref};
        shown[0] = row1.empty();  // the other way round
        RecordingSurface surface = Trace();
        EXPECT_EQ(surface.TextsAt({{55, -178}, {155, -178}}), row1) << name;
        EXPECT_EQ(surface.TextsAt({{250, -278}, {315, -278}, {415, -278}}), delta3) << name;
        EXPECT_EQ(shown[0], !row1.empty()) << name;
        const MarkerReading &read = view.readings->at(0);
        EXPECT_EQ(std::pair(read.freqMHz, read.level), std::pair(reading1.freqMHz, reading1.level)) << name;
    }
    // In dBu 107 more, and the label as high as in dBm: just above 1022.9999999999997 + 20, held as a single.
    markers = {MarkerControl{true, "100", "NONE"}};
    state.unit = "dBu";
    placements.clear();
    EXPECT_EQ(Trace().TextsAt({{55, -178}, {155, -178}}), (Texts{" 100 ", "107.0"}));
    EXPECT_EQ(placements, (std::vector<std::tuple<int, double, double>>{{0, 244.5, 1043.0}}));
}

// The holds over the live trace, the max hold last; the level column's heading names the hold
// the markers read, in its colour.
TEST_F(ScreenDrawing, HoldsOverTheLiveTraceAndTheLevelHeadingNamesTheHoldRead)
{
    using Drawn = std::vector<std::pair<double, uint32_t>>;  // level and colour, in order
    constexpr uint32_t kMax = Rgb(10, 0, 0), kMin = Rgb(11, 0, 0);
    TracePoints maxHold, minHold;
    maxHold.fill(900), minHold.fill(100);
    const std::tuple<bool, bool, std::optional<HoldKind>, Drawn, std::string, uint32_t> cases[] = {
        {false, false, std::nullopt, {{600, kLive}}, "Level", kText},
        {true, true, HoldKind::Max, {{600, kLive}, {100, kMin}, {900, kMax}}, "Max Hold", kMax},
        {false, true, HoldKind::Min, {{600, kLive}, {100, kMin}}, "Min Hold", kMin},
    };
    for (const auto &[max, min, read, expected, heading, colour] : cases) {
        view.holds = {HoldView{max ? &maxHold : nullptr, kMax}, HoldView{min ? &minHold : nullptr, kMin}};
        view.readHold = read;
        Drawn drawn;
        for (const DrawOp &op : Trace().Lines())
            if (drawn.empty() || drawn.back() != std::pair(op.y2, op.color))
                drawn.emplace_back(op.y2, op.color);
        EXPECT_EQ(drawn, expected) << heading;
        const RecordingSurface grid = Grid();
        EXPECT_EQ(grid.TextsAt({{155, -128}}), Texts{heading});
        for (const DrawOp &op : grid.OfKind({Kind::Print}))
            EXPECT_TRUE(op.text != heading || op.color == colour) << heading;
    }
}

// One row for each measurement switched on, 50 units apart under marker 5's; the band below the
// graticule reaches down to the last row.
TEST_F(ScreenDrawing, MeasurementTableUnderTheMarkerTable)
{
    view.measurementRows = {true, true, true, false};
    MeasurementReadings values{view.measurementRows, -12.34, 2.0, OccupiedBand{99.703, 100.297}, -85.04, 31950, {}};
    view.measurements = values;
    EXPECT_EQ(Grid().TextsAt({{5, -428}, {5, -478}, {5, -528}}), (Texts{"Band Power", "OBW 99%", "Noise MKR1"}));
    EXPECT_EQ(Trace().TextsAt({{155, -428}, {255, -428}, {155, -478}, {255, -478}, {155, -528}, {255, -528}}),
              (Texts{"-12.3 dBm", "MKR 1-2: 2.000 MHz", "0.594 MHz", "99.703 to 100.297 MHz", "-85.0 dBm/Hz",
                     "NBW 31.95 kHz"}));
    EXPECT_EQ(Grid().OfKind({Kind::FilledRectangle}).back().y2, -580);

    state.unit = "dBu", state.spanCaption = "2KHZ/DIV";
    view.measurementRows = values.on = {false, true, true, false};
    values.occupied = OccupiedBand{100.0001234, 100.0021234};
    values.noiseDensity = std::nullopt;
    view.measurements = values;
    EXPECT_EQ(Grid().TextsAt({{5, -428}, {5, -478}, {5, -528}}), (Texts{"OBW 99%", "Noise MKR1"}));
    EXPECT_EQ(Trace().TextsAt({{155, -428}, {255, -428}, {155, -478}, {255, -478}}),
              (Texts{"0.002000 MHz", "100.000123 to 100.002123 MHz", "---", "MKR 1 needed"}))
        << "six decimals for 40 Hz points";
    EXPECT_EQ(Grid(true).OfKind({Kind::FilledRectangle}).back().y2, -1000) << "the page's band";
}

}  // namespace
}  // namespace tavrin
