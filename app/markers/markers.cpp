#include "markers/markers.h"

#include "common/rounding.h"

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

}  // namespace tavrin
