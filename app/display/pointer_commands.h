// What the keys, the wheel and the screen's menu do on the display window, as changes of the
// settings or of a marker for the panel to apply, as if the user had typed them.
#pragma once

#include "markers/marker_pointer.h"
#include "measure/view_changes.h"

#include <optional>

namespace tavrin {

enum class PointerCommand {
    MarkerLeft,           // Left: the active marker one point down
    MarkerRight,          // Right
    MarkerDivisionLeft,   // Shift+Left: one division (50 points)
    MarkerDivisionRight,  // Shift+Right
    ZoomIn,               // '+', Ctrl+wheel up: one span row narrower
    ZoomOut,              // '-', Ctrl+wheel down, the menu's "Zoom out": one row wider
    CenterUp,             // wheel up: the centre one division up
    CenterDown,           // wheel down
    RefLevelUp,           // Page Up
    RefLevelDown,         // Page Down
    Peak,                 // P, the menu's "Peak": as the Peak button
    CenterOnMarker,       // the menu's "Centre on marker": the active marker's frequency
};

struct PointerContext {
    const MeasurementState &state;
    const MarkerControls &markers;
    int activeMarker = 0;                  // 0..4: the marker last touched, marker 1 when none
    const TracePoints *readTrace = nullptr;  // what Peak reads (a hold when one is read); null: none
    float freqStepMHz = 0;                 // the centre spinner's step, for the wheel at zero span
};

// At most one of the two; neither when the command changes nothing.
struct PointerOutcome {
    std::optional<SettingsChange> settings;
    std::optional<MarkerChange> marker;
    bool operator==(const PointerOutcome &) const = default;
};

PointerOutcome Perform(PointerCommand command, const PointerContext &context);

// Whole wheel notches (120 eighths of a degree each, up positive) in the deltas gathered so far,
// so that a fine-stepping wheel or touchpad moves once per notch; the rest is kept in gathered.
int WheelNotches(int &gathered, int angleDelta);

// The wheel's command: with Ctrl the span, without it the centre; none for no notch.
std::optional<PointerCommand> WheelCommand(int notches, bool ctrl);

}  // namespace tavrin
