// The analyzer's trace block as the library hands it over: its 499 points and the settings its
// header reports. Pure functions, so the fetch on the link thread and the tests read it alike.
#pragma once

#include "measure/analyzer_settings.h"
#include "measure/screen_conversions.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavrin {

inline constexpr int kBlockSize = 1020;

// Points 0..498 of a block (high byte 0..3, low byte first; point 499 is never in a block), or
// nothing for an invalid block. Points not decoded keep the values of `before`.
std::optional<TracePoints> ParseTracePoints(const std::vector<uint8_t> &block, const TracePoints &before);

// The header's report: the centre (bytes 0..6, kHz digits, the leading-number rule), the span
// caption of byte 7 (empty beyond the table), the reference level of byte 8 (0 beyond the table)
// and the RBW caption of bytes 9..15 (trimmed).
double BlockCenterFreq(const std::vector<uint8_t> &block);
std::string BlockSpan(const std::vector<uint8_t> &block);
int16_t BlockRefLevel(const std::vector<uint8_t> &block);
std::string BlockRBW(const std::vector<uint8_t> &block);
AnalyzerSettings BlockSettings(const std::vector<uint8_t> &block);

// The library marks every byte that never came as 0xFF; a real block starts with digits.
bool NothingArrived(const std::vector<uint8_t> &block);

// The instrument answers when its serial number sorts before "99999" (ordinal comparison): this
// rejects the library's no-answer value 999999 and the value 99999.
bool SerialNumberAnswers(const std::string &serialText);

}  // namespace tavrin
