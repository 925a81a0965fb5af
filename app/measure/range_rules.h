// The analyzer's frequency range as the measurement controls keep to it: a centre is brought into
// 0..1150 MHz, and a centre and span whose window would leave that range are fitted by giving way
// on the setting not being changed.
#pragma once

#include <optional>
#include <string_view>

namespace tavrin {

// Whether the window of the span around the centre lies within 0..1150 MHz.
bool WindowFits(double centerMHz, std::string_view spanCaption);

// The centre, or the nearest end of 0..1150 MHz when it lies outside (0 for no number at all).
double CenterInRange(double centerMHz);

// The span row lowered one row at a time from row while its window around the centre does not fit;
// row 0 (zero span) at the latest.
int SpanRowThatFits(double centerMHz, int row);

// Where the centre must move for the span's window to fit (the window's edge on the range's end),
// or nothing when it fits already.
std::optional<double> CenterThatFits(double centerMHz, std::string_view spanCaption);

}  // namespace tavrin
