#include "measure/range_rules.h"

#include "measure/measurement_state.h"

namespace tavrin {

bool WindowFits(double centerMHz, std::string_view spanCaption)
{
    const FrequencyWindow w = WindowAround(centerMHz, spanCaption);
    return w.stopMHz <= kWindowMaxMHz && w.startMHz >= kWindowMinMHz;
}

double CenterInRange(double centerMHz)
{
    if (centerMHz >= kWindowMinMHz && centerMHz <= kWindowMaxMHz)
        return centerMHz;
    return centerMHz > kWindowMaxMHz ? kWindowMaxMHz : kWindowMinMHz;
}

int SpanRowThatFits(double centerMHz, int row)
{
    while (row > 0 && !WindowFits(centerMHz, SpanCaption(row)))
        --row;
    return row < 0 ? 0 : row;
}

std::optional<double> CenterThatFits(double centerMHz, std::string_view spanCaption)
{
    const FrequencyWindow w = WindowAround(centerMHz, spanCaption);
    // A window is at most 1000 MHz wide, so it never sticks out at both ends.
    if (w.stopMHz > kWindowMaxMHz)
        return kWindowMaxMHz - 5.0 * w.divisionMHz;
    if (w.startMHz < kWindowMinMHz)
        return 5.0 * w.divisionMHz;
    return std::nullopt;
}

}  // namespace tavrin
