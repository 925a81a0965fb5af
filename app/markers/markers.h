// The five markers as the panel holds them, their readings, and their labels on the display.
#pragma once

#include "measure/screen_conversions.h"

#include <array>
#include <string>

namespace tavrin {

inline constexpr int kMarkerCount = 5;

struct MarkerControl {
    bool enabled = false;          // chkMKR
    std::string freqText;          // txtMKR, MHz
    std::string deltaRef = "NONE";  // cboMKR: "NONE" or "1".."5"
};

struct MarkerReading {
    double freqMHz = 0;
    double level = 0;       // in the display unit (dBm or dBu)
    bool onScreen = false;  // switched on and on points 1..498: its label and rows show
    int16_t point = 0;      // where its label stands
    double height = 0;
};

using MarkerControls = std::array<MarkerControl, kMarkerCount>;
using MarkerReadings = std::array<MarkerReading, kMarkerCount>;

// The labels picMKR 0..4 on the display window; positions in screen units.
class MarkerLabels {
public:
    virtual ~MarkerLabels() = default;
    virtual void Show(int index, bool visible) = 0;
    virtual bool Visible(int index) const = 0;
    virtual void Move(int index, double left, double top) = 0;
    // Half the width and the height of a label in screen units (positive).
    virtual double HalfWidth() const = 0;
    virtual double Height() const = 0;
};

// The readings of the switched-on markers on trace; the others read nothing.
MarkerReadings ReadMarkers(const MeasurementState &state, const TracePoints &trace, const MarkerControls &markers);

// Each label shown where its marker is on the screen, hidden otherwise.
void ShowMarkerLabels(MarkerLabels &labels, const MarkerReadings &readings);

// Stands label n (1..5) on the point (x, y): top edge at y + height, left edge at x - half width,
// both held in single precision.
void PlaceMarkerLabel(MarkerLabels &labels, int n, double x, double y);

}  // namespace tavrin
