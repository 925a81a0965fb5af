// The markers moved by pointing at the screen: a click, the arrow keys, Peak, and the settings
// that centre the screen on a marker. The marker moved is the active one: the marker last
// touched (its check box, field, spinner or label, or a click), marker 1 when none was.
#pragma once

#include "markers/markers.h"
#include "measure/view_changes.h"

#include <optional>
#include <string>

namespace tavrin {

// The marker's frequency text, as if typed into its field, and the marker switched on.
struct MarkerChange {
    int index = 0;  // 0..4
    std::string freqText;
    bool operator==(const MarkerChange &) const = default;
};

// The marker on a trace point, its text written as a dropped label writes it ("#0.000##").
// Nothing at zero span, where a point has no frequency of its own, or for an index that is no marker.
std::optional<MarkerChange> MarkerToPoint(const MeasurementState &state, int index, int point);

// A click at screen x: the marker on the point there (the graticule's end points beyond its edges).
std::optional<MarkerChange> MarkerToX(const MeasurementState &state, int index, double x);

// Left/Right (points -1 / +1) and Shift+Left/Right (one division, -50 / +50): the marker that many
// points along, kept on points 1..498 where its label shows. A marker off the screen (or on
// point 0, where no label shows) is brought onto the edge it lies beyond. Nothing at zero span, or
// when a marker shown would not move.
std::optional<MarkerChange> MarkerByPoints(const MeasurementState &state, const MarkerControls &markers, int index,
                                           int points);

// Peak (the menu, P): what the Peak button does, marker 1 on the highest point, four decimals.
MarkerChange PeakMarker(const MeasurementState &state, const TracePoints &trace);

// "Centre on marker": the centre on the marker's frequency, the span narrowed if its window must,
// as if the frequency were typed into the centre field. Nothing for a marker switched off or
// without a frequency above 0, or when nothing would change.
std::optional<SettingsChange> CenterOnMarker(const MeasurementState &state, const MarkerControls &markers, int index);

}  // namespace tavrin
