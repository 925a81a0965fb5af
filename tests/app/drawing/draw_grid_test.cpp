#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/screen_state.h"

#include "common/color.h"
#include "common/date_format.h"
#include "measure/screen_view.h"
#include "support/recording_surface.h"

namespace tavrin {
namespace {

using test::DrawOp;
using test::RecordingSurface;
using Kind = DrawOp::Kind;

constexpr std::time_t kNow = 1700000000;

class DrawGridTest : public ::testing::Test {
protected:
    DrawGridTest()
    {
        state = test::ScreenAt100MHz();
        state.rbwCaption = "3KHZ";
        colors = {Rgb(1, 0, 0), Rgb(2, 0, 0), Rgb(3, 0, 0), Rgb(4, 0, 0), Rgb(5, 0, 0), Rgb(6, 0, 0), Rgb(7, 0, 0)};
        limits = InitialLimitLines();
        view.state = &state;
        view.colors = &colors;
        view.limits = &limits;
        view.screenTime = &screenTime;
        view.now = [] { return kNow; };
    }

    RecordingSurface Draw(bool printer = false)
    {
        RecordingSurface surface(printer);
        DrawGrid(surface, view);
        return surface;
    }

    MeasurementState state;
    DisplayColors colors;
    LimitLines limits;
    std::time_t screenTime = 0;
    ScreenView view;
};

TEST_F(DrawGridTest, GraticuleIsFilledOutlinedAndDividedTenByEight)
{
    RecordingSurface surface = Draw();
    const std::vector<DrawOp> &ops = surface.Ops();
    ASSERT_GE(ops.size(), 2u);
    EXPECT_EQ(ops[0].kind, Kind::FilledRectangle);
    EXPECT_EQ(ops[1].kind, Kind::Rectangle);
    EXPECT_EQ(ops[1].color, colors.Grid);
    EXPECT_EQ(ops[1].x2, 498);
    EXPECT_EQ(ops[1].y2, 1023);

    std::vector<double> columns, rows;
    for (const DrawOp &op : surface.Lines()) {
        EXPECT_EQ(op.color, colors.Grid);
        EXPECT_EQ(op.style, DrawStyle::Solid);
        if (op.x1 == op.x2 && op.y1 == 0 && op.y2 == 1023)
            columns.push_back(op.x1);
        else if (op.y1 == op.y2 && op.x1 == 0 && op.x2 == 498)
            rows.push_back(op.y1);
        else
            ADD_FAILURE() << "line " << op.x1 << "," << op.y1 << " - " << op.x2 << "," << op.y2;
    }
    EXPECT_EQ(columns, (std::vector<double>{0, 50, 100, 150, 200, 250, 300, 350, 400, 450}));
    EXPECT_EQ(rows, (std::vector<double>{0, 128, 256, 384, 512, 640, 768, 896}));
}

TEST_F(DrawGridTest, WindowFillsInItsColoursThePrinterLeavesWhite)
{
    struct Fill {
        double x1, y1, x2, y2;
        uint32_t color;
    };
    struct Case {
        bool printer;
        std::vector<Fill> fills;
    } cases[] = {
        {false, {{0, 0, 498, 1023, colors.Background}, {-1, 1100, 500, 1027, colors.Base}, {-1, -5, 500, -430, colors.Base}}},
        {true, {{-1, 2000, 500, 1027, Rgb(255, 255, 255)}, {-1, -5, 500, -1000, Rgb(255, 255, 255)}}},
    };
    for (const Case &c : cases) {
        RecordingSurface surface = Draw(c.printer);
        std::vector<DrawOp> fills = surface.OfKind(Kind::FilledRectangle);
        ASSERT_EQ(fills.size(), c.fills.size()) << "printer " << c.printer;
        for (size_t i = 0; i < fills.size(); ++i) {
            EXPECT_EQ(fills[i].x1, c.fills[i].x1);
            EXPECT_EQ(fills[i].y1, c.fills[i].y1);
            EXPECT_EQ(fills[i].x2, c.fills[i].x2);
            EXPECT_EQ(fills[i].y2, c.fills[i].y2);
            EXPECT_EQ(fills[i].color, c.fills[i].color) << "printer " << c.printer << " fill " << i;
        }
        EXPECT_EQ(surface.OfKind(Kind::Rectangle).size(), 1u);
    }
}

TEST_F(DrawGridTest, StepsComeInOrderAndLeaveSolidLinesNinePointTextColour)
{
    limits[0].shown = true;
    limits[0].selector = "mask";
    limits[0].points = {{97, -40}, {103, -40}};
    RecordingSurface surface = Draw();
    const std::vector<DrawOp> &ops = surface.Ops();

    auto firstIndex = [&](auto match) {
        for (size_t i = 0; i < ops.size(); ++i) {
            if (match(ops[i]))
                return static_cast<long>(i);
        }
        return -1L;
    };
    long dotted = firstIndex([](const DrawOp &op) { return op.kind == Kind::Style && op.style == DrawStyle::Dotted; });
    long limit = firstIndex([&](const DrawOp &op) { return op.kind == Kind::Line && op.color == limits[0].color; });
    long band = firstIndex([&](const DrawOp &op) { return op.kind == Kind::FilledRectangle && op.color == colors.Base; });
    long text = firstIndex([](const DrawOp &op) { return op.kind == Kind::Print; });
    long lastGrid = -1;
    for (size_t i = 0; i < ops.size(); ++i) {
        if (ops[i].kind == Kind::Line && ops[i].color == colors.Grid)
            lastGrid = static_cast<long>(i);
    }
    ASSERT_GE(lastGrid, 0);
    EXPECT_LT(lastGrid, dotted);
    EXPECT_LT(dotted, limit);
    // The bands are laid over whatever a limit line draws above or below the graticule.
    EXPECT_LT(limit, band);
    EXPECT_LT(band, text);

    DrawStyle lastStyle = DrawStyle::Dotted;
    for (const DrawOp &op : surface.OfKind(Kind::Style))
        lastStyle = op.style;
    EXPECT_EQ(lastStyle, DrawStyle::Solid);
    for (const DrawOp &op : surface.Texts()) {
        EXPECT_EQ(op.color, colors.Text) << op.text;
        EXPECT_EQ(op.fontSize, 9) << op.text;
    }
}

TEST_F(DrawGridTest, LevelScaleCountsDownFromTheReferenceLevel)
{
    const double rows[9] = {1035, 907.125, 779.25, 651.375, 523.5, 395.625, 267.75, 139.875, 12};
    struct Case {
        const char *refLevel;
        const char *unit;
        std::vector<std::string> labels;
        const char *unitText;
    } cases[] = {
        {"0", "dBm", {"   0", " -10", " -20", " -30", " -40", " -50", " -60", " -70", " -80"}, "[ dBm ]"},
        {"-30", "dBm", {" -30", " -40", " -50", " -60", " -70", " -80", " -90", "-100", "-110"}, "[ dBm ]"},
        {"0", "dBu", {" 107", "  97", "  87", "  77", "  67", "  57", "  47", "  37", "  27"}, "[ dBu ]"},
        {"-30", " dBm  ", {" -30", " -40", " -50", " -60", " -70", " -80", " -90", "-100", "-110"}, "[ dBm ]"},
    };
    for (const Case &c : cases) {
        state.refLevelDbm = c.refLevel;
        state.unit = c.unit;
        RecordingSurface surface = Draw();
        std::vector<std::string> labels;
        for (const DrawOp &op : surface.Texts()) {
            if (op.x1 == -35)
                labels.push_back(op.text);
        }
        EXPECT_EQ(labels, c.labels) << c.refLevel << c.unit;
        for (size_t i = 0; i < 9; ++i)
            EXPECT_EQ(surface.TextsAt(-35, rows[i]), std::vector<std::string>{c.labels[i]}) << c.refLevel << c.unit;
        EXPECT_EQ(surface.TextsAt(-46, -60), std::vector<std::string>{c.unitText});
    }
}

TEST_F(DrawGridTest, SettingsColumnAndDisplayedWindow)
{
    struct Case {
        const char *center, *span, *rbw;
        const char *cf, *spanText, *rbwText, *start, *stop;
    } cases[] = {
        {"100.000", "1MHZ/DIV", "3KHZ", "CF = 100.000MHZ", "SPAN = 1MHZ/DIV", "RBW = 3KHZ", "Start:  95.000MHz",
         "Stop:  105.000MHz"},
        {" 100.000 ", " 500KHZ/DIV ", " 220KHZ ", "CF = 100.000MHZ", "SPAN = 500KHZ/DIV", "RBW = 220KHZ",
         "Start:  97.500MHz", "Stop:  102.500MHz"},
        {"80.000", "0HZ/DIV", "4MHZ", "CF = 80.000MHZ", "SPAN = 0HZ/DIV", "RBW = 4MHZ", "Start:  0.000MHz",
         "Stop:  0.000MHz"},
    };
    for (const Case &c : cases) {
        state.centerFreqMHz = c.center;
        state.spanCaption = c.span;
        state.rbwCaption = c.rbw;
        RecordingSurface surface = Draw();
        EXPECT_EQ(surface.TextsAt(230, -3), std::vector<std::string>{c.cf});
        EXPECT_EQ(surface.TextsAt(230, -37), std::vector<std::string>{c.spanText});
        EXPECT_EQ(surface.TextsAt(230, -72), std::vector<std::string>{c.rbwText});
        EXPECT_EQ(surface.TextsAt(0, -3), std::vector<std::string>{c.start});
        EXPECT_EQ(surface.TextsAt(400, -3), std::vector<std::string>{c.stop});
    }
}

TEST_F(DrawGridTest, HeaderTimeIsNowUnlessOfflinePlaybackShowsARecord)
{
    constexpr std::time_t kRecord = 1600000000;
    constexpr std::time_t kBefore = 1500000000;
    struct Case {
        const char *caption;
        bool running;
        std::optional<std::time_t> playback;
        std::time_t expected;
    } cases[] = {
        {"Play", false, kRecord, kNow},          {"play", false, kRecord, kNow},
        {"Pause", true, kRecord, kNow},          {"Pause", false, kRecord, kRecord},
        {"Pause", false, std::nullopt, kBefore},
    };
    for (const Case &c : cases) {
        view.playCaption = c.caption;
        view.running = c.running;
        view.playbackTime = c.playback;
        screenTime = kBefore;
        RecordingSurface surface = Draw();
        EXPECT_EQ(screenTime, c.expected) << c.caption << c.running;
        EXPECT_EQ(surface.TextsAt(10, 1070), std::vector<std::string>{"NORVALE Tavrin"});
        EXPECT_EQ(surface.TextsAt(320, 1070), std::vector<std::string>{FormatScreenTime(c.expected)});
    }
}

TEST_F(DrawGridTest, AveragingCountShownOnlyWhileAcquiring)
{
    struct Case {
        bool on, running;
        int count, fill, slot;
        std::vector<std::string> text;
    } cases[] = {
        {true, true, 8, 3, 3, {"Avg = 3"}},  {true, true, 8, 8, 0, {"Avg = 8"}}, {true, true, 8, 20, 4, {"Avg = 8"}},
        {true, false, 8, 8, 0, {}},          {false, true, 8, 8, 0, {}},
    };
    for (const Case &c : cases) {
        view.averaging = {c.on, c.count, c.fill, c.slot};
        view.running = c.running;
        EXPECT_EQ(Draw().TextsAt(400, -37), c.text) << c.on << c.running << c.fill;
    }
}

TEST_F(DrawGridTest, MarkerTableHeadingsAndNumbers)
{
    RecordingSurface surface = Draw();
    std::vector<std::pair<double, std::string>> headings;
    for (const DrawOp &op : surface.TextsOnRow(-128))
        headings.emplace_back(op.x1, op.text);
    EXPECT_EQ(headings, (std::vector<std::pair<double, std::string>>{{5, "MKR"},
                                                                      {55, "Freq. (MHz)"},
                                                                      {155, "Level"},
                                                                      {230, "Delta MKR"},
                                                                      {305, "Delta Freq.(MHz)"},
                                                                      {405, "Delta Level"}}));
    const char *numbers[] = {" 1 ", " 2 ", " 3 ", " 4 ", " 5 "};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(surface.TextsAt(10, -178 - 50 * i), std::vector<std::string>{numbers[i]});
}

TEST_F(DrawGridTest, MissingPartsOfTheViewLeaveOutOnlyTheirSteps)
{
    ScreenView empty;
    RecordingSurface surface;
    DrawGrid(surface, empty);
    EXPECT_TRUE(surface.Lines().empty());
    EXPECT_EQ(surface.TextsAt(10, 1070), std::vector<std::string>{"NORVALE Tavrin"});
    EXPECT_TRUE(surface.TextsAt(320, 1070).empty());
    EXPECT_EQ(surface.TextsOnRow(-128).size(), 6u);

    // The printer's bands need no colours.
    RecordingSurface printer(true);
    DrawGrid(printer, empty);
    EXPECT_EQ(printer.OfKind(Kind::FilledRectangle).size(), 2u);

    empty.state = &state;
    empty.limits = &limits;
    empty.now = nullptr;
    empty.screenTime = &screenTime;
    RecordingSurface withState;
    DrawGrid(withState, empty);
    EXPECT_EQ(withState.TextsAt(230, -3), std::vector<std::string>{"CF = 100.000MHZ"});
    EXPECT_NE(screenTime, 0);  // the system clock stands in for a missing one
}

// Limit points are given by screen column: the frequency of column x at 100 MHz, 1 MHz/div.
double ColumnMHz(double x) { return 100.0 + (x - 251.0) * 0.02; }

// With the reference level 0 dBm, -80 dBm is row 0 and -50 dBm row 383.625.
constexpr double kRowAtMinus50 = 30.0 / 0.0782013685239492;

struct Segment {
    double x1, y1, x2, y2;
};

class DrawGridLimits : public DrawGridTest {
protected:
    void SetLine(int k, std::vector<std::pair<double, double>> columnsAndLevels)
    {
        LimitLine &line = limits[static_cast<size_t>(k)];
        line.shown = true;
        line.selector = "mask";
        line.points.clear();
        for (auto [x, level] : columnsAndLevels)
            line.points.push_back({ColumnMHz(x), level});
    }

    std::vector<DrawOp> LimitSegments(uint32_t color)
    {
        std::vector<DrawOp> found;
        for (const DrawOp &op : Draw().Lines()) {
            if (op.color == color) {
                EXPECT_EQ(op.style, DrawStyle::Dotted);
                found.push_back(op);
            }
        }
        return found;
    }
};

TEST_F(DrawGridLimits, SegmentsAreClippedToColumnsZeroTo500)
{
    const double half = kRowAtMinus50 / 2;
    struct Case {
        const char *name;
        std::vector<std::pair<double, double>> points;
        std::vector<Segment> drawn;
    } cases[] = {
        {"enters from the left", {{-20, -80}, {40, -50}}, {{0, kRowAtMinus50 / 3, 40, kRowAtMinus50}}},
        {"leaves right and ends the line",
         {{100, -80}, {480, -80}, {520, -50}, {300, -80}, {400, -80}},
         {{100, 0, 480, 0}, {480, 0, 500, half}}},
        {"wholly left is skipped, the next examined",
         {{-30, -80}, {-10, -80}, {90, -50}},
         {{0, kRowAtMinus50 * 0.1, 90, kRowAtMinus50}}},
        {"visible to left draws nothing", {{100, -80}, {-10, -80}, {200, -80}}, {{0, 0, 200, 0}}},
        {"left to right crosses the screen", {{-50, -80}, {550, -50}, {100, -80}},
         {{0, kRowAtMinus50 / 12, 500, kRowAtMinus50 * 11 / 12}}},
        {"the edges are visible",
         {{100, -80}, {0, -80}, {500, -50}, {400, -80}},
         {{100, 0, 0, 0}, {0, 0, 500, kRowAtMinus50}, {500, kRowAtMinus50, 400, 0}}},
        {"starting right ends at once", {{501, -80}, {100, -80}, {200, -80}}, {}},
        {"vertical", {{100, -80}, {100, -50}, {-5, -80}, {-5, -50}}, {{100, 0, 100, kRowAtMinus50}}},
        {"three points, two segments", {{10, -80}, {20, -80}, {30, -80}}, {{10, 0, 20, 0}, {20, 0, 30, 0}}},
        {"one point draws nothing", {{10, -80}}, {}},
        {"no points draw nothing", {}, {}},
    };
    for (const Case &c : cases) {
        SetLine(0, c.points);
        std::vector<DrawOp> drawn = LimitSegments(limits[0].color);
        ASSERT_EQ(drawn.size(), c.drawn.size()) << c.name;
        for (size_t i = 0; i < drawn.size(); ++i) {
            EXPECT_NEAR(drawn[i].x1, c.drawn[i].x1, 1e-3) << c.name << " segment " << i;
            EXPECT_NEAR(drawn[i].y1, c.drawn[i].y1, 1e-3) << c.name << " segment " << i;
            EXPECT_NEAR(drawn[i].x2, c.drawn[i].x2, 1e-3) << c.name << " segment " << i;
            EXPECT_NEAR(drawn[i].y2, c.drawn[i].y2, 1e-3) << c.name << " segment " << i;
        }
    }
}

TEST_F(DrawGridLimits, EachLineNeedsItsOwnBoxAndAFileChosen)
{
    struct Case {
        bool shown1;
        const char *selector1;
        bool shown2;
        const char *selector2;
        bool drawn1, drawn2;
    } cases[] = {
        {true, "mask", true, "NONE", true, false}, {false, "mask", true, "mask", false, true},
        {true, "NONE", true, "mask", false, true}, {true, "none", false, "mask", true, false},
    };
    for (const Case &c : cases) {
        SetLine(0, {{10, -80}, {20, -80}});
        SetLine(1, {{10, -70}, {20, -70}});
        limits[0].shown = c.shown1;
        limits[0].selector = c.selector1;
        limits[1].shown = c.shown2;
        limits[1].selector = c.selector2;
        EXPECT_EQ(LimitSegments(limits[0].color).size(), c.drawn1 ? 1u : 0u) << c.selector1 << c.shown1;
        EXPECT_EQ(LimitSegments(limits[1].color).size(), c.drawn2 ? 1u : 0u) << c.selector2 << c.shown2;
    }
}

TEST_F(DrawGridLimits, PointsThatCannotBePlacedAreLeftOutWithoutEndingTheLine)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    limits[0].shown = true;
    limits[0].selector = "mask";
    limits[0].points = {{ColumnMHz(10), -80}, {nan, -80},           {ColumnMHz(20), -80}, {ColumnMHz(30), inf},
                        {ColumnMHz(40), -80}, {-inf, -80},          {ColumnMHz(50), -80}, {ColumnMHz(60), nan},
                        {ColumnMHz(70), -80}, {ColumnMHz(80), -80}, {inf, -80},           {ColumnMHz(90), -80}};
    RecordingSurface surface = Draw();
    EXPECT_FALSE(surface.AnyNonFinite());
    std::vector<DrawOp> drawn;
    for (const DrawOp &op : surface.Lines()) {
        if (op.color == limits[0].color)
            drawn.push_back(op);
    }
    // Only 70 -> 80 joins two placeable points; the point infinitely far right is reached
    // level and ends the line.
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_NEAR(drawn[0].x1, 70, 1e-3);
    EXPECT_NEAR(drawn[0].x2, 80, 1e-3);
    EXPECT_NEAR(drawn[1].x1, 80, 1e-3);
    EXPECT_EQ(drawn[1].x2, 500);
    EXPECT_EQ(drawn[1].y2, 0);

    // A span caption without a width places no point at all.
    state.spanCaption = "";
    SetLine(0, {{10, -80}, {20, -80}});
    surface = Draw();
    EXPECT_FALSE(surface.AnyNonFinite());
    for (const DrawOp &op : surface.Lines())
        EXPECT_NE(op.color, limits[0].color);
}

TEST_F(DrawGridLimits, ZeroSpanStacksThePointsOnTheLeftEdge)
{
    state.spanCaption = "0HZ/DIV";
    limits[0].shown = true;
    limits[0].selector = "mask";
    limits[0].points = {{50, -80}, {150, -50}};
    std::vector<DrawOp> drawn = LimitSegments(limits[0].color);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].x1, 0);
    EXPECT_EQ(drawn[0].x2, 0);
    EXPECT_NEAR(drawn[0].y2, kRowAtMinus50, 1e-9);
}

}  // namespace
}  // namespace tavrin
