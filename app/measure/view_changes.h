// Changes of the measurement settings made by pointing at the screen: a band dragged across it,
// the wheel, the keys and the screen's menu. Each comes fitted to the analyzer's range by the rules
// a typed setting follows, so that sending it changes nothing further.
#pragma once

#include "measure/measurement_state.h"

#include <optional>
#include <string>

namespace tavrin {

// What to send. Send the span first when spanFirst, else the centre first: then every window
// on the way fits, and neither send's own range rule moves the other setting.
struct SettingsChange {
    std::optional<std::string> centerText;  // MHz, three decimals
    std::optional<int> spanRow;
    std::optional<int> refLevelRow;
    bool spanFirst = false;
    bool operator==(const SettingsChange &) const = default;
};

// The narrowest span row above zero span whose screen (10 divisions) is at least widthMHz wide;
// the widest row for anything wider.
int NarrowestSpanRowCovering(double widthMHz);

// A band dragged from screen x1 to x2 (either way round, ends beyond the graticule on its edge
// points): the centre on the band's middle and the narrowest span that covers it. Nothing at zero
// span, for a band within one point, or when nothing would change.
std::optional<SettingsChange> ZoomToBand(const MeasurementState &state, double x1, double x2);

// One span row narrower (direction < 0) or wider (> 0): the wheel with Ctrl, '+' and '-', and
// "Zoom out". Zooming in stops above zero span; a wider span moves the centre inwards when its
// window would leave the range. Nothing at either end of the table.
std::optional<SettingsChange> SpanStep(const MeasurementState &state, int direction);

// The wheel: the centre one division up (direction > 0) or down, by the centre spinner's rule
// (nothing when it would leave 0..1100 MHz); at zero span one frequency step. A window that would
// leave the range stops with its edge on the range's end; nothing when it stands there already.
std::optional<SettingsChange> CenterStep(const MeasurementState &state, int direction, float freqStepMHz);

// Page Up / Page Down: the reference level one row up or down; nothing at either end.
std::optional<SettingsChange> RefLevelStep(const MeasurementState &state, int direction);

// A centre typed or chosen (centre on a marker): brought into 0..1150 MHz, with the span narrowed
// until its window fits, as the centre field does. Nothing when nothing would change.
std::optional<SettingsChange> CenterAt(const MeasurementState &state, double centerMHz);

}  // namespace tavrin
