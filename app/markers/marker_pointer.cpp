#include "markers/marker_pointer.h"

#include "common/number_format.h"
#include "common/rounding.h"
#include "common/text_number.h"
#include "markers/peak.h"
#include "measure/pointer_readout.h"

#include <algorithm>
#include <cmath>

namespace tavrin {

namespace {

// Point 0 is where the screen conversions put a frequency off the screen: a marker there shows
// no label.
constexpr int kFirstMarkerPoint = 1;

bool IsMarker(int index) { return index >= 0 && index < kMarkerCount; }

// Where a frequency falls on the screen, before the conversions' floor and range check; the
// single-precision step is the conversions' own.
double ExactPoint(const MeasurementState &state, double mhz)
{
    const double perPoint = MHzPerDivision(state.spanCaption) / kPointsPerDivision;
    return ToSingle((mhz - NumericValue(state.centerFreqMHz)) / perPoint + kCenterPoint);
}

}  // namespace

std::optional<MarkerChange> MarkerToPoint(const MeasurementState &state, int index, int point)
{
    if (!IsMarker(index) || IsZeroSpan(state.spanCaption) || MHzPerDivision(state.spanCaption) <= 0)
        return std::nullopt;
    const double f = ConvertNthPointToMHz(state, static_cast<int16_t>(std::clamp(point, 0, kLastScreenPoint)));
    return MarkerChange{index, FormatPicture(f, "#0.000##")};
}

std::optional<MarkerChange> MarkerToX(const MeasurementState &state, int index, double x)
{
    return MarkerToPoint(state, index, PointAt(x));
}

std::optional<MarkerChange> MarkerByPoints(const MeasurementState &state, const MarkerControls &markers, int index,
                                           int points)
{
    if (!IsMarker(index) || IsZeroSpan(state.spanCaption) || MHzPerDivision(state.spanCaption) <= 0)
        return std::nullopt;
    const MarkerControl &marker = markers[static_cast<size_t>(index)];
    const double exact = ExactPoint(state, NumericValue(marker.freqText));
    // A marker off the screen counts from just beyond the edge it lies beyond, so that the first
    // step inwards brings it onto that edge.
    const int now = exact < 0                  ? 0
                    : exact > kLastScreenPoint ? kLastScreenPoint + 1
                                               : FloorToInt32(exact);
    const int next = std::clamp(now + points, kFirstMarkerPoint, kLastScreenPoint);
    const bool shown = marker.enabled && exact >= kFirstMarkerPoint && exact <= kLastScreenPoint;
    if (shown && next == now)
        return std::nullopt;
    return MarkerToPoint(state, index, next);
}

MarkerChange PeakMarker(const MeasurementState &state, const TracePoints &trace)
{
    const double f = ConvertNthPointToMHz(state, static_cast<int16_t>(PeakPoint(trace)));
    return {0, FormatFixed(f, 4, 4)};
}

std::optional<SettingsChange> CenterOnMarker(const MeasurementState &state, const MarkerControls &markers, int index)
{
    if (!IsMarker(index) || !markers[static_cast<size_t>(index)].enabled)
        return std::nullopt;
    const double f = NumericValue(markers[static_cast<size_t>(index)].freqText);
    if (!(f > 0))
        return std::nullopt;
    return CenterAt(state, f);
}

}  // namespace tavrin
