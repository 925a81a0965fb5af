// The peak table under the measurement table: a heading, then up to ten peaks in two columns of
// five, highest first (1 to 5 on the left, 6 to 10 on the right), each with its frequency and level.
#pragma once

#include "display/drawing_surface.h"
#include "markers/peak_tools.h"
#include "measure/measurement_state.h"

#include <vector>

namespace tavrin {

// The headings (part of the frame), on the row firstRow of the tables under the marker table.
void DrawPeakTableLabels(DrawingSurface &surface, int firstRow);
// The peaks, levels in the unit of the settings; "---" when there is none.
void DrawPeakTableValues(DrawingSurface &surface, const std::vector<Peak> &table, int firstRow,
                         const MeasurementState &state);

}  // namespace tavrin
