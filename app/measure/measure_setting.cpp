#include "measure/measure_setting.h"

#include "common/number_format.h"
#include "common/text_number.h"

namespace tavrin {

void ShowMeasureSetting(const ReportedSettings &reported, const MeasurementState &state, MeasurePanel &panel)
{
    if (!panel.CenterFreqHasFocus()) {
        double r = reported.centerMHz;
        if (r > 0.0 && NumericValue(state.centerFreqMHz) != r)
            panel.SetCenterFreqText(FormatFixed(r, 3, 3));
    }
    panel.SetRefLevelPosition(RefLevelToIndex(reported.refLevelDbm));
    panel.SetSpanPosition(SpanToIndex(reported.spanCaption));
    panel.SetRbwPosition(RBWToIndex(reported.rbwCaption));
}

}  // namespace tavrin
