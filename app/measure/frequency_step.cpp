#include "measure/frequency_step.h"

#include "common/number_format.h"
#include "common/text_number.h"
#include "measure/measurement_state.h"

namespace tavrin {

std::optional<std::string> StepFrequencyText(std::string_view text, int direction, float stepMHz)
{
    if (direction == 0)
        return std::nullopt;
    const double step = direction > 0 ? static_cast<double>(stepMHz) : -static_cast<double>(stepMHz);
    const double moved = NumericValue(text) + step;
    if (!(moved > kStepMinMHz && moved < kStepMaxMHz))
        return std::nullopt;
    return FormatFixed(moved, 3, 3);
}

std::string NormalizeFrequencyText(std::string_view text) { return FormatFixed(NumericValue(text), 3, 3); }

}  // namespace tavrin
