// The display's pixels in screen units, and what its keys, wheel and menu do.
#include <cmath>
#include <string>
#include <optional>
#include <tuple>

#include <gtest/gtest.h>

#include "display/logical_scale.h"
#include "display/pointer_commands.h"
#include "display/pointer_keys.h"

namespace tavrin {
namespace {

constexpr LogicalScale kScreen{-50, 1100, 570, -1530};

TEST(DisplayPointer, PixelsMapOntoTheScreenUnitsOfTheWholeWindow)
{
    // At 570 x 1530 pixels one pixel is one unit; at 1140 x 765 x stretches by 2 and y shrinks by 2.
    const std::tuple<double, double, int, int, ScreenPosition> cases[] = {
        {0, 0, 570, 1530, {-50, 1100}},   {570, 1530, 570, 1530, {520, -430}}, {50, 100, 570, 1530, {0, 1000}},
        {100, 0, 1140, 765, {0, 1100}},   {1140, 382.5, 1140, 765, {520, 335}},
        {10, 10, 0, 0, {5650, -14200}},  // a window of no size counts as one pixel
    };
    auto near = [](ScreenPosition a, ScreenPosition b) { return std::abs(a.x - b.x) < 1e-9 && std::abs(a.y - b.y) < 1e-9; };
    for (auto [px, py, w, h, screen] : cases) {
        const ScreenPosition found = PixelToScreen(px, py, w, h, kScreen);
        EXPECT_TRUE(near(found, screen)) << px << "," << py << " in " << w << "x" << h << ": " << found.x << "," << found.y;
        if (w > 0) {
            EXPECT_TRUE(near(ScreenToPixel(screen.x, screen.y, w, h, kScreen), {px, py})) << px << "," << py;
        }
    }
    // A lower bottom edge (the measurement table's rows) reaches the window's bottom row.
    EXPECT_TRUE(near(PixelToScreen(570, 1630, 570, 1630, {-50, 1100, 570, -1630}), {520, -530}));
}

TEST(DisplayPointer, KeysAndTheWheel)
{
    using C = PointerCommand;
    const std::tuple<int, Qt::KeyboardModifiers, std::optional<C>> keys[] = {
        {Qt::Key_Left, Qt::NoModifier, C::MarkerLeft},
        {Qt::Key_Right, Qt::NoModifier, C::MarkerRight},
        {Qt::Key_Left, Qt::ShiftModifier, C::MarkerDivisionLeft},
        {Qt::Key_Right, Qt::ShiftModifier, C::MarkerDivisionRight},
        {Qt::Key_Plus, Qt::ShiftModifier, C::ZoomIn},
        {Qt::Key_Plus, Qt::KeypadModifier, C::ZoomIn},
        {Qt::Key_Equal, Qt::NoModifier, C::ZoomIn},
        {Qt::Key_Minus, Qt::NoModifier, C::ZoomOut},
        {Qt::Key_PageUp, Qt::NoModifier, C::RefLevelUp},
        {Qt::Key_PageDown, Qt::NoModifier, C::RefLevelDown},
        {Qt::Key_P, Qt::NoModifier, C::Peak},
        {Qt::Key_P, Qt::ControlModifier, std::nullopt},
        {Qt::Key_Left, Qt::AltModifier, std::nullopt},
        {Qt::Key_A, Qt::NoModifier, std::nullopt},
    };
    for (auto [key, modifiers, command] : keys)
        EXPECT_EQ(CommandForKey(key, modifiers), command) << key;

    // A notch is 120; finer wheels and touchpads send parts of one, kept until a notch is whole.
    int gathered = 0;
    const std::pair<int, int> deltas[] = {{120, 1}, {60, 0}, {60, 1}, {-240, -2}, {50, 0}, {-100, 0}, {-70, -1}};
    for (auto [delta, notches] : deltas)
        EXPECT_EQ(WheelNotches(gathered, delta), notches) << delta;
    EXPECT_EQ(gathered, 0);
    EXPECT_EQ(WheelCommand(1, false), C::CenterUp);
    EXPECT_EQ(WheelCommand(-2, false), C::CenterDown);
    EXPECT_EQ(WheelCommand(1, true), C::ZoomIn);
    EXPECT_EQ(WheelCommand(-1, true), C::ZoomOut);
    EXPECT_EQ(WheelCommand(0, true), std::nullopt);
}

TEST(DisplayPointer, CommandsChangeTheActiveMarkerOrTheSettings)
{
    MeasurementState s;
    s.centerFreqMHz = "100.000", s.spanCaption = "1MHZ/DIV", s.refLevelDbm = "0";
    MarkerControls markers{};
    markers[2] = {true, "100.000", "NONE"};
    TracePoints trace{};
    trace[300] = 700;
    const PointerContext c{s, markers, 2, &trace, 0.5f};
    auto marker = [](int index, const char *text) { return PointerOutcome{std::nullopt, MarkerChange{index, text}}; };
    auto settings = [](std::optional<std::string> center, std::optional<int> span, std::optional<int> ref) {
        return PointerOutcome{SettingsChange{std::move(center), span, ref, false}, std::nullopt};
    };
    using C = PointerCommand;
    const std::pair<C, PointerOutcome> cases[] = {
        {C::MarkerLeft, marker(2, "99.980")},
        {C::MarkerRight, marker(2, "100.020")},
        {C::MarkerDivisionLeft, marker(2, "99.000")},
        {C::MarkerDivisionRight, marker(2, "101.000")},
        {C::ZoomIn, settings(std::nullopt, 8, std::nullopt)},
        {C::ZoomOut, settings(std::nullopt, 10, std::nullopt)},
        {C::CenterUp, settings("101.000", std::nullopt, std::nullopt)},
        {C::CenterDown, settings("99.000", std::nullopt, std::nullopt)},
        {C::RefLevelUp, settings(std::nullopt, std::nullopt, 4)},
        {C::RefLevelDown, settings(std::nullopt, std::nullopt, 2)},
        {C::Peak, marker(0, "100.9800")},
        {C::CenterOnMarker, PointerOutcome{}},  // marker 3 stands on the centre already
    };
    for (const auto &[command, outcome] : cases)
        EXPECT_EQ(Perform(command, c), outcome) << static_cast<int>(command);
    EXPECT_EQ(Perform(C::Peak, {s, markers, 2, nullptr, 0.5f}), PointerOutcome{}) << "no trace to read";
    markers[2].freqText = "101.5";
    EXPECT_EQ(Perform(C::CenterOnMarker, c), settings("101.500", std::nullopt, std::nullopt));
}

}  // namespace
}  // namespace tavrin
