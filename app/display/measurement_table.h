// The measurement table under the marker table: one row for each measurement switched on, in the
// order band power, occupied bandwidth, noise marker.
#pragma once

#include "display/drawing_surface.h"
#include "markers/marker_measurements.h"

namespace tavrin {

// Upper edge of row 0, 1, 2 ... of the tables under the marker table.
inline constexpr double MeasurementRowY(int row) { return -428.0 - 50.0 * row; }

// Decimals of MHz that show a tenth of the point spacing: three, up to six on narrow spans.
int MHzDecimals(const MeasurementState &state);

// The rows' names (part of the frame).
void DrawMeasurementLabels(DrawingSurface &surface, MeasurementSwitches rows);
// The values, "---" where a measurement cannot be made, and what it needs or was made over.
void DrawMeasurementValues(DrawingSurface &surface, const MeasurementReadings &values,
                           const MarkerReadings &markers, const MeasurementState &state);

}  // namespace tavrin
