#include "measure/measure_setting.h"

#include "common/number_format.h"
#include "common/text_number.h"

namespace tavrin {

void ShowMeasureSetting(const AnalyzerSettings &reported, const MeasurementState &state, MeasurePanel &panel)
{
    if (!panel.CenterFreqHasFocus()) {
        double r = reported.centerMHz;
        if (r > 0.0 && NumericValue(state.centerFreqMHz) != r)
            panel.SetCenterFreqText(FormatFixed(r, 3, 3));
    }
    panel.SetRefLevelPosition(RefLevelToIndex(reported.refLevelDbm));
    panel.SetSpanPosition(SpanToIndex(reported.span));
    panel.SetRbwPosition(RBWToIndex(reported.rbw));
}

}  // namespace tavrin
