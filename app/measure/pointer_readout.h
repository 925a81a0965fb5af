// What the pointer stands on in the display: the trace point under it, its frequency and the
// levels of the traces there, and the status bar's words for them.
#pragma once

#include "measure/measurement_state.h"
#include "measure/screen_conversions.h"

#include <optional>
#include <string>

namespace tavrin {

// The point under a screen position over the graticule (x within half a point of 0..498, y 0..1023);
// nothing elsewhere.
std::optional<int> PointUnder(double x, double y);

// The point a click or a dropped label at screen x stands for: the nearest one (halves to even),
// the graticule's end points beyond its edges.
int PointAt(double x);

// The traces drawn: the one shown (live, averaged or played back) and the holds drawn over it;
// null for any not drawn.
struct DrawnTraces {
    const TracePoints *shown = nullptr;
    const TracePoints *maxHold = nullptr;
    const TracePoints *minHold = nullptr;
};

struct PointerReading {
    int point = 0;
    bool zeroSpan = false;  // the point is a moment of the sweep, and its frequency the centre's
    double freqMHz = 0;
    std::string unit;  // "dBm" or "dBu"
    std::optional<double> level, maxHold, minHold;  // in the unit; none for a trace not drawn
    bool operator==(const PointerReading &) const = default;
};

// The reading under a screen position; nothing off the graticule.
std::optional<PointerReading> ReadAtPointer(const MeasurementState &state, const DrawnTraces &traces, double x, double y);

// "100.980 MHz  -42.3 dBm  Max Hold -40.1 dBm  Min Hold -50.2 dBm"; at zero span the frequency is
// the centre's and the text says the time within the sweep is not known.
std::string ReadoutText(const PointerReading &reading);

}  // namespace tavrin
