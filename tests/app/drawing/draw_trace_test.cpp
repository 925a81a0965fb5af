#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/screen_state.h"

#include "common/color.h"
#include "common/rounding.h"
#include "measure/screen_view.h"
#include "support/fake_marker_labels.h"
#include "support/recording_surface.h"

namespace tavrin {
namespace {

using test::DrawOp;
using test::FakeMarkerLabels;
using test::RecordingSurface;
using Kind = DrawOp::Kind;

class DrawTraceTest : public ::testing::Test {
protected:
    DrawTraceTest()
    {
        state = test::ScreenAt100MHz();
        colors = {Rgb(1, 0, 0), Rgb(2, 0, 0), Rgb(3, 0, 0), Rgb(4, 0, 0), Rgb(5, 0, 0), Rgb(6, 0, 0), Rgb(7, 0, 0)};
        live.fill(600);
        play.fill(300);
        view.state = &state;
        view.colors = &colors;
        view.liveTrace = &live;
        view.playTrace = &play;
        view.traceDrawColor = Rgb(9, 9, 9);
        view.markers = &markers;
        view.readings = &readings;
        view.labels = &labels;
    }

    RecordingSurface Draw()
    {
        RecordingSurface surface;
        DrawTrace(surface, view);
        return surface;
    }

    void SetMarker(int index, const char *freq, const char *deltaRef = "NONE")
    {
        MarkerControl &marker = markers[static_cast<size_t>(index)];
        marker.enabled = true;
        marker.freqText = freq;
        marker.deltaRef = deltaRef;
    }

    static double Row(int index) { return -178.0 - 50.0 * index; }

    MeasurementState state;
    DisplayColors colors;
    LiveTrace live{};
    LiveTrace play{};
    MarkerControls markers;
    MarkerReadings readings{};
    FakeMarkerLabels labels;
    ScreenView view;
};

TEST_F(DrawTraceTest, TraceIsOnePolylineFromPointZeroTo498)
{
    for (int16_t level : {int16_t{1023}, int16_t{0}}) {
        live.fill(level);
        live[499] = 77;
        std::vector<DrawOp> lines = Draw().Lines();
        ASSERT_EQ(lines.size(), 500u);
        EXPECT_EQ(lines[0].kind, Kind::Line);
        EXPECT_EQ(lines[0].x1, 0);
        EXPECT_EQ(lines[0].x2, 0);
        EXPECT_EQ(lines[0].y1, level);
        for (size_t i = 1; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].kind, Kind::LineTo);
            EXPECT_EQ(lines[i].x2, static_cast<double>(i - 1));
            EXPECT_EQ(lines[i].y1, level);
            EXPECT_EQ(lines[i].y2, level);
            EXPECT_EQ(lines[i].color, view.traceDrawColor);
        }
    }
}

TEST_F(DrawTraceTest, PlaybackStateChoosesTracesAndColours)
{
    // (level of the trace, colour) in drawing order; 600 is the live trace, 300 the played one.
    using Drawn = std::vector<std::pair<double, uint32_t>>;
    struct Case {
        const char *caption;
        bool running;
        Drawn drawn;
        bool secondTraceTexts;
    } cases[] = {
        {"Play", false, {{600, Rgb(9, 9, 9)}}, false},
        {" Play ", true, {{600, Rgb(9, 9, 9)}}, false},
        {"Pause", false, {{600, colors.Play}}, false},
        {"Pause", true, {{300, colors.Play}, {600, colors.Trace}}, true},
        {"pause", true, {}, false},
        {"Stop", false, {}, false},
    };
    view.secondTrace = SecondTraceInfo{-30, 80, "1MHZ/DIV"};
    for (const Case &c : cases) {
        view.playCaption = c.caption;
        view.running = c.running;
        RecordingSurface surface = Draw();
        Drawn drawn;
        for (const DrawOp &op : surface.Lines()) {
            if (drawn.empty() || drawn.back() != std::make_pair(op.y2, op.color))
                drawn.emplace_back(op.y2, op.color);
        }
        EXPECT_EQ(drawn, c.drawn) << c.caption << c.running;
        EXPECT_EQ(surface.TextsAt(0, -37).size(), c.secondTraceTexts ? 1u : 0u) << c.caption << c.running;
    }
}

TEST_F(DrawTraceTest, SecondTraceTextsDescribeTheShownRecord)
{
    view.playCaption = "Pause";
    view.running = true;
    struct Case {
        SecondTraceInfo info;
        const char *refLevel, *center, *span;
    } cases[] = {
        {{-30, 80, "1MHZ/DIV    "}, "RefLvl:-30dBm", "CF :80MHz", "Span   :1MHZ/DIV"},
        {{10, 123.45, " 500KHZ/DIV "}, "RefLvl:10dBm", "CF :123.45MHz", "Span   :500KHZ/DIV"},
    };
    for (const Case &c : cases) {
        view.secondTrace = c.info;
        RecordingSurface surface = Draw();
        EXPECT_EQ(surface.TextsAt(0, -37), std::vector<std::string>{"2nd Trace ->"});
        EXPECT_EQ(surface.TextsAt(105, -37), std::vector<std::string>{c.refLevel});
        EXPECT_EQ(surface.TextsAt(0, -72), std::vector<std::string>{c.center});
        EXPECT_EQ(surface.TextsAt(105, -72), std::vector<std::string>{c.span});
        for (const DrawOp &op : surface.Texts()) {
            EXPECT_EQ(op.color, colors.Play) << op.text;
            EXPECT_EQ(op.fontSize, 9) << op.text;
        }
        std::vector<DrawOp> colours = surface.OfKind(Kind::ForeColor);
        ASSERT_FALSE(colours.empty());
        EXPECT_EQ(colours.back().color, colors.Text);
    }
}

TEST_F(DrawTraceTest, MarkerOnTheCentreReadsItsPointAndStandsOnIt)
{
    live[251] = 1023;
    SetMarker(0, "100");
    struct Case {
        const char *unit;
        double level;
        const char *levelText;
    } cases[] = {{"dBm", 0, "0.0"}, {"dBu", 107, "107.0"}};
    for (const Case &c : cases) {
        state.unit = c.unit;
        labels.placements.clear();
        RecordingSurface surface = Draw();
        EXPECT_EQ(readings[0].freqMHz, 100);
        EXPECT_EQ(readings[0].level, c.level);
        EXPECT_TRUE(labels.Visible(0));
        // The same height in either unit: just above the trace's top.
        ASSERT_EQ(labels.placements.size(), 1u) << c.unit;
        EXPECT_EQ(labels.placements[0].index, 0);
        EXPECT_EQ(labels.placements[0].left, 251 - 6.5);
        EXPECT_EQ(labels.placements[0].top, ToSingle(1022.9999999999997 + 20));
        EXPECT_EQ(surface.TextsAt(55, Row(0)), std::vector<std::string>{" 100 "});
        EXPECT_EQ(surface.TextsAt(155, Row(0)), std::vector<std::string>{c.levelText});
    }
}

TEST_F(DrawTraceTest, MarkerOffTheScreenHidesItsLabelAndLeavesItsRowEmpty)
{
    live[0] = 0;  // -79.921875 dBm
    struct Case {
        const char *freqText;
        double freq;
    } cases[] = {{"200", 200}, {"50", 50}, {"94.98", 94.98}, {"abc", 0}, {"", 0}};
    for (const Case &c : cases) {
        SetMarker(2, c.freqText);
        labels.Show(2, true);
        labels.placements.clear();
        RecordingSurface surface = Draw();
        EXPECT_FALSE(labels.Visible(2)) << c.freqText;
        EXPECT_TRUE(labels.placements.empty()) << c.freqText;
        EXPECT_TRUE(surface.TextsOnRow(Row(2)).empty()) << c.freqText;
        EXPECT_EQ(readings[2].freqMHz, c.freq);
        EXPECT_EQ(readings[2].level, -79.921875) << c.freqText;
    }
}

TEST_F(DrawTraceTest, MarkerSwitchedOffKeepsItsReadingAndHidesItsLabel)
{
    readings[1] = {7, 8};
    markers[1].freqText = "100";
    labels.Show(1, true);
    RecordingSurface surface = Draw();
    EXPECT_FALSE(labels.Visible(1));
    EXPECT_EQ(readings[1].freqMHz, 7);
    EXPECT_EQ(readings[1].level, 8);
    EXPECT_TRUE(surface.TextsOnRow(Row(1)).empty());
    EXPECT_TRUE(labels.placements.empty());
}

TEST_F(DrawTraceTest, DeltaRowsNeedBothLabelsOnTheScreen)
{
    live[251] = 1023;  // 0 dBm
    live[301] = 512;   // -39.921875 dBm
    struct Case {
        const char *name;
        bool marker1On;
        const char *marker1Freq;
        const char *marker3Ref;
        std::vector<std::string> row;  // texts at x 250, 315, 415 of marker 3's row
    } cases[] = {
        {"against marker 1", true, "100", "1", {"1", "1.000", "-39.9"}},
        {"own reference", true, "100", "3", {"3", "0.000", "0.0"}},
        {"reference switched off", false, "100", "1", {}},
        {"reference off the screen", true, "200", "1", {}},
        {"no reference", true, "100", "NONE", {}},
        {"no such marker", true, "100", "6", {}},
        {"typed fraction rounding below marker 1", true, "100", "0.2", {}},
    };
    for (const Case &c : cases) {
        markers = {};
        SetMarker(0, c.marker1Freq);
        markers[0].enabled = c.marker1On;
        SetMarker(2, "101", c.marker3Ref);
        RecordingSurface surface = Draw();
        std::vector<std::string> row;
        for (double x : {250.0, 315.0, 415.0}) {
            for (const std::string &text : surface.TextsAt(x, Row(2)))
                row.push_back(text);
        }
        EXPECT_EQ(row, c.row) << c.name;
    }
}

TEST_F(DrawTraceTest, WorksWithoutThePanelsLabelsAndReadings)
{
    live[251] = 1023;
    SetMarker(0, "100");
    SetMarker(1, "101", "1");
    view.labels = nullptr;
    view.readings = nullptr;
    RecordingSurface surface = Draw();
    EXPECT_EQ(surface.TextsAt(55, Row(0)), std::vector<std::string>{" 100 "});
    EXPECT_EQ(surface.TextsAt(315, Row(1)), std::vector<std::string>{"1.000"});

    RecordingSurface empty;
    DrawTrace(empty, ScreenView{});
    EXPECT_TRUE(empty.Ops().empty());
}

}  // namespace
}  // namespace tavrin
