// The settings dialog's rules without any window: how a field is tidied when it is left, the
// palette's colours and how a stored step is shown.
#pragma once

#include <cstdint>
#include <string>

namespace tavrin {

// Each takes the field's text (its leading number; none reads 0) and gives the text it becomes.
std::string NormalizeAverage(const std::string &text);     // 2..255, a whole number (halves to even)
std::string NormalizeFreqStep(const std::string &text);    // 0.001..100, three decimals
std::string NormalizeLevelStep(const std::string &text);   // 0.1..10, one decimal
std::string NormalizeInterval(const std::string &text);    // 0.2..60 seconds, one decimal
std::string NormalizeRecordTime(const std::string &text);  // up to 30 minutes, one decimal; else "Continuous"

// A single-precision setting as the user typed it: 0.1f shows "0.1", not its double expansion.
std::string FloatText(float value);

inline constexpr int kPaletteColumns = 16;
inline constexpr int kPaletteRows = 5;
// The palette cell's colour (0x00BBGGRR): rows 0..3 run red 255, 170, 85, 0, each row green then
// blue through 255, 170, 85, 0; row 4 is grey from 255 down in steps of 17.
uint32_t PaletteColor(int column, int row);

}  // namespace tavrin
