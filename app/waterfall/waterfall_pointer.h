// What the pointer stands on in the waterfall: the row (its time), and for a trace row the point
// its column shows, with that point's frequency and level; and whether a click there may move a
// marker on the display.
#pragma once

#include "markers/marker_pointer.h"
#include "waterfall/waterfall_rows.h"

#include <cstddef>
#include <optional>
#include <string>

namespace tavrin {

// Where the rows lie in the window (WaterfallLayout without Qt): newest row at the picture's top.
struct WaterfallGeometry {
    int header = 0;         // logical pixels above the picture
    double ratio = 1;       // device pixels per logical pixel
    int firstColumn = 0;    // device pixels: the first column of the rows ...
    int columns = 0;        // ... and how many there are
    int pictureHeight = 0;  // device pixels
};

struct WaterfallSpot {
    size_t row = 0;  // in WaterfallRows::Rows(), oldest first
    RowKind kind = RowKind::Trace;
    std::time_t time = 0;  // a band's: the trace after it
    std::string text;      // a band's words
    // A trace row: the point the column shows (the strongest of its points, the first of equal
    // ones), its frequency (the centre's at zero span) and its level in the row's unit.
    int point = 0;
    bool zeroSpan = false;
    double freqMHz = 0;
    double level = 0;
    bool dBu = false;
    bool operator==(const WaterfallSpot &) const = default;
};

// The spot at (x, y) in the window's logical pixels; nothing off the rows' columns or below the
// last row.
std::optional<WaterfallSpot> WaterfallAt(const WaterfallRows &rows, const WaterfallGeometry &geometry, double x, double y);

// "12:00:05  100.980 MHz  -42.3 dBm", at zero span with the note that the time within the sweep
// is not known; a band: "12:00:05  no traces for 42 s".
std::string WaterfallReadoutText(const WaterfallSpot &spot);

// Whether traces taken at these settings put the same frequencies on the same points as the
// display does: the same span (not zero span) and the same centre to the panel's three decimals.
bool SameFrequencies(const AnalyzerSettings &row, const MeasurementState &display);

// A click on the spot: the marker on its point of the display, when the spot is a trace row whose
// settings are the display's; nothing otherwise.
std::optional<MarkerChange> MarkerFromWaterfall(const WaterfallRows &rows, const WaterfallSpot &spot,
                                                const MeasurementState &display, int index);

}  // namespace tavrin
