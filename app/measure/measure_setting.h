// Bringing the control panel into line with the settings the analyzer reported in its last trace.
#pragma once

#include <cstdint>
#include <string>

#include "measure/measurement_state.h"

namespace tavrin {

// The settings read from a trace header by the instrument module.
struct ReportedSettings {
    double centerMHz = 0.0;  // 0 until a valid block has been read
    std::string spanCaption;  // empty for a span code outside the table
    int16_t refLevelDbm = 0;
    std::string rbwCaption;
};

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
void ShowMeasureSetting(const ReportedSettings &reported, const MeasurementState &state, MeasurePanel &panel);

}  // namespace tavrin
