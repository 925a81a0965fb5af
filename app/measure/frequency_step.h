// One frequency step of a spinner, for the centre frequency and the markers alike.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavrin {

// The text moved by one step up (direction > 0) or down (< 0), written with three decimals;
// nothing when the result would leave 0..1100 MHz (both ends excluded) or direction is 0.
std::optional<std::string> StepFrequencyText(std::string_view text, int direction, float stepMHz);

// A frequency typed into the centre field, rewritten with three decimals (0.000 without a number).
std::string NormalizeFrequencyText(std::string_view text);

}  // namespace tavrin
