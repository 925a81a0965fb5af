// The peak search for marker 1.
#pragma once

#include "measure/screen_conversions.h"

namespace tavrin {

// The highest point of the trace (0..499; the first of equal maxima), moved to the middle of a
// flat top that starts there, rounded towards its first point.
int PeakPoint(const TracePoints &trace);

}  // namespace tavrin
