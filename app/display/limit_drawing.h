// The limit lines on the screen: their segments clipped to the graticule's columns, at the
// resolution of the surface.
#pragma once

#include "display/drawing_surface.h"
#include "limits/limit_lines.h"
#include "measure/measurement_state.h"

namespace tavrin {

// Limit 1, then limit 2, each when shown and its selector names a file. A line ends at its first
// segment that leaves the screen on the right, as the points are expected in ascending frequency.
void DrawLimitLines(DrawingSurface &surface, const LimitLines &limits, const MeasurementState &state);

}  // namespace tavrin
