// The comparison on the screen: memories over the trace, the difference standing in for the
// levels, and the notes at the graticule's foot.
#include <gtest/gtest.h>

#include "common/color.h"
#include "display/screen_overlays.h"
#include "support/recording_surface.h"

namespace tavrin {
namespace {

using test::RecordingSurface;
using Drawn = std::vector<std::pair<double, uint32_t>>;  // level and colour of each polyline, in order

constexpr uint32_t kLive = Rgb(9, 9, 9), kText = Rgb(6, 0, 0), kA = Rgb(20, 0, 0), kMax = Rgb(10, 0, 0);

class ComparisonDrawing : public ::testing::Test {
protected:
    ComparisonDrawing()
    {
        state.centerFreqMHz = "100.000", state.spanCaption = "1MHZ/DIV", state.refLevelDbm = "0";
        live.fill(600), memory.fill(700), maxHold.fill(900);
        view.state = &state, view.colors = &colors, view.liveTrace = &live, view.traceDrawColor = kLive;
        view.limits = &limits, view.markers = &markers, view.readings.emplace();
        limits[0] = {true, "mask", limits[0].color, {{90, -10}, {110, -10}}};
        view.memories[0] = {&memory, kA, "Memory A was taken at span 2MHZ/DIV, the screen shows 1MHZ/DIV."};
        view.holds[0] = {&maxHold, kMax};
    }
    // Draws the screen; each polyline's first level and colour.
    Drawn Polylines(RecordingSurface &surface)
    {
        DrawGrid(surface, view);
        DrawTrace(surface, view);
        Drawn drawn;
        for (const test::DrawOp &op : surface.Lines())
            if (op.kind == test::DrawOp::Kind::LineTo && op.x1 == 0 && op.x2 == 0)
                drawn.emplace_back(op.y2, op.color);
        return drawn;
    }

    MeasurementState state;
    DisplayColors colors{Rgb(1, 0, 0), Rgb(2, 0, 0), Rgb(3, 0, 0), Rgb(4, 0, 0), Rgb(5, 0, 0), kText, Rgb(7, 0, 0)};
    TracePoints live{}, memory{}, maxHold{};
    LimitLines limits = InitialLimitLines();
    MarkerControls markers;
    ScreenView view;
};

TEST_F(ComparisonDrawing, AMemoryLiesBetweenTheTraceAndTheHoldsWithItsNoteInItsColour)
{
    RecordingSurface surface;
    EXPECT_EQ(Polylines(surface), (Drawn{{600, kLive}, {700, kA}, {900, kMax}}));
    const auto notes = surface.TextsAt({{5, 45}});
    ASSERT_EQ(notes, std::vector<std::string>{view.memories[0].note}) << "one line, at the foot";
    for (const test::DrawOp &op : surface.OfKind({test::DrawOp::Kind::Print})) {
        if (op.text == notes[0]) {
            EXPECT_EQ(op.color, kA);
        }
    }
}

// Subtracted, the difference alone is drawn on its scale, without the limit lines; not subtracted,
// the levels are, with the note cut into lines of the graticule's width, the last at the foot.
TEST_F(ComparisonDrawing, TheDifferenceStandsInForTheLevelsOrSaysWhyNot)
{
    std::array<double, kTracePoints> middle{};
    middle.fill(511.5);
    view.difference = DifferenceView{"Live - A", middle, ""};
    view.memories[0].note.clear();
    RecordingSurface subtracted;
    EXPECT_EQ(Polylines(subtracted), (Drawn{{511.5, kLive}}));
    EXPECT_TRUE(std::ranges::none_of(subtracted.Lines(), [](const auto &op) { return op.style == DrawStyle::Dotted; }));
    EXPECT_EQ(subtracted.TextsAt({{160, 1070}, {-35, 1035}, {-35, 1035.0f - 4.0f * DivisionHeight}, {-46, -60}}),
              (std::vector<std::string>{"Live - A (dB)", " +40", "  0", "[ dB ]"}));

    view.difference = DifferenceView{"Live - A", std::nullopt,
                                     "Memory A was taken at centre 433.920 MHz and span 100KHZ/DIV, the screen shows "
                                     "100.000 MHz and 1MHZ/DIV: it is not subtracted."};
    RecordingSurface levels;
    EXPECT_EQ(Polylines(levels).front(), std::pair(600.0, kLive));
    EXPECT_EQ(levels.TextsAt({{5, 125}, {5, 85}, {5, 45}}),
              (std::vector<std::string>{"Memory A was taken at centre 433.920 MHz and span 100KHZ/DIV, the",
                                        "screen shows 100.000 MHz and 1MHZ/DIV: it is not subtracted."}));
    EXPECT_EQ(WrapNote("a " + std::string(80, 'x') + " b", 68), (std::vector<std::string>{"a", std::string(80, 'x'), "b"}));
}

}  // namespace
}  // namespace tavrin
