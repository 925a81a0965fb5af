// The markers moved by pointing: a click, the arrow keys, Peak, and centring on a marker.
#include <optional>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "markers/marker_pointer.h"

namespace tavrin {
namespace {

MeasurementState At(const char *center, const char *span)
{
    MeasurementState s;
    s.centerFreqMHz = center;
    s.spanCaption = span;
    return s;
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

}  // namespace
}  // namespace tavrin
