// Bringing the control panel into line with the settings the analyzer reported in its last trace.
#pragma once

#include <cstdint>
#include <string>

#include "measure/analyzer_settings.h"
#include "measure/measurement_state.h"

namespace tavrin {

// What ShowMeasureSetting needs of the panel. Setting a spinner position applies the panel's own
// position-change rule (caption, RBW spinner enabled at zero span) and sends nothing to the
// analyzer; a position equal to the current one must change nothing.
class MeasurePanel {
public:
    virtual ~MeasurePanel() = default;
    virtual bool CenterFreqHasFocus() const = 0;
    virtual void SetCenterFreqText(const std::string &text) = 0;
    virtual void SetRefLevelPosition(int index) = 0;
    virtual void SetSpanPosition(int index) = 0;
    virtual void SetRbwPosition(int index) = 0;
};

// Centre frequency (unless the user is in that field, or nothing was reported), then reference
// level, span and RBW, in that order.
void ShowMeasureSetting(const AnalyzerSettings &reported, const MeasurementState &state, MeasurePanel &panel);

}  // namespace tavrin
