#include "markers/markers.h"

#include "common/rounding.h"
#include "common/text_number.h"

namespace tavrin {

void PlaceMarkerLabel(MarkerLabels &labels, int n, double x, double y)
{
    if (n < 1 || n > kMarkerCount)
        return;
    // Kept as singles, like every label position the display window holds.
    float top = ToSingle(y + labels.Height());
    float left = ToSingle(x - labels.HalfWidth());
    labels.Move(n - 1, left, top);
}

MarkerReadings ReadMarkers(const MeasurementState &state, const TracePoints &trace, const MarkerControls &markers)
{
    const bool dbm = TrimSpaces(state.unit) == "dBm";
    MarkerReadings readings{};
    for (size_t i = 0; i < kMarkerCount; ++i) {
        if (!markers[i].enabled)
            continue;
        MarkerReading &r = readings[i];
        r.freqMHz = NumericValue(markers[i].freqText);
        r.level = MarkRdg(state, trace, r.freqMHz);
        r.height = dBmToPointHeight(state, r.level);
        if (!dbm) {
            r.level += 107.0;
            r.height = dBmToPointHeight(state, r.level - 107.0);
        }
        r.point = ConvertMHzToNthPoint(state, r.freqMHz);
        r.onScreen = r.point > 0 && r.point <= kLastScreenPoint;
    }
    return readings;
}

void ShowMarkerLabels(MarkerLabels &labels, const MarkerReadings &readings)
{
    for (int i = 0; i < kMarkerCount; ++i) {
        const MarkerReading &r = readings[static_cast<size_t>(i)];
        labels.Show(i, r.onScreen);
        if (r.onScreen)
            PlaceMarkerLabel(labels, i + 1, r.point, r.height);
    }
}

}  // namespace tavrin
