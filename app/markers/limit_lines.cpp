#include "markers/limit_lines.h"

#include "common/color.h"
#include "common/rounding.h"
#include "common/text_number.h"
#include "measure/screen_conversions.h"

namespace tavrin {

LimitLines InitialLimitLines()
{
    LimitLines lines;
    lines[0].color = Rgb(0, 0, 192);
    lines[1].color = Rgb(255, 0, 0);
    return lines;
}

double LimiterX(const MeasurementState &state, double mhz)
{
    if (IsZeroSpan(state.spanCaption))
        return 0.0;
    double width = MHzPerDivision(state.spanCaption);
    // A centre text that is not a number reads 0 here as everywhere else in the program, so the
    // lines are placed as if the centre were 0 MHz (usually far off the screen) rather than
    // dropped. A caption without a width gives an infinity or NaN, which the drawing leaves out.
    double center = NumericValue(state.centerFreqMHz);
    return ToSingle((mhz - center) / (width / kPointsPerDivision) + kCenterPoint);
}

double LimiterY(const MeasurementState &state, double dbm)
{
    return (dbm - NumericValue(state.refLevelDbm) + 80.0) / kDbPerStepPlace;
}

}  // namespace tavrin
