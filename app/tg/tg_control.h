// The tracking generator's rules without a window: the range of its level and offset entries, and
// the commands that put the generator in a state, in the order the instrument takes them.
#pragma once

#include "instrument/instrument.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tavrin {

inline constexpr int kTGLevelLowest = -59, kTGLevelHighest = 0;      // dBm
inline constexpr int kTGOffsetLowest = -99, kTGOffsetHighest = 99;   // kHz
inline constexpr int kTGDefaultLevel = -50;  // the level entry at start-up

// An entry clamped to [lowest, highest], then the nearest whole number (halves to even); a text
// without a number reads 0.
std::string NormalizeTGText(const std::string &text, int lowest, int highest);

// Generator mode, the output switched on when it is to be on, then level and offset.
std::vector<GeneratorCommand> TGCommands(bool outputOn, int16_t level, int16_t offset);
// Back to analyzer mode; the output never stays on behind the analyzer's back.
std::vector<GeneratorCommand> LeaveTGCommands();

}  // namespace tavrin
