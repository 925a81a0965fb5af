#include "measure/view_changes.h"

#include "common/number_format.h"
#include "common/rounding.h"
#include "common/text_number.h"
#include "measure/frequency_step.h"
#include "measure/pointer_readout.h"
#include "measure/range_rules.h"
#include "measure/screen_conversions.h"

#include <algorithm>

namespace tavrin {

namespace {

constexpr int kWidestSpanRow = static_cast<int>(kSpanCaptions.size()) - 1;
constexpr int kHighestRefLevelRow = static_cast<int>(kRefLevelsDbm.size()) - 1;
constexpr double kDivisionsOnScreen = 10;

std::string CenterText(double mhz) { return FormatFixed(mhz, 3, 3); }

int SpanRow(const MeasurementState &state) { return SpanToIndex(state.spanCaption); }

// The change from the current settings to a centre text and span row, or nothing when both stay.
std::optional<SettingsChange> ChangeTo(const MeasurementState &state, const std::string &center, int row, bool spanFirst)
{
    SettingsChange change;
    if (center != NormalizeFrequencyText(state.centerFreqMHz))
        change.centerText = center;
    if (row != SpanRow(state))
        change.spanRow = row;
    if (!change.centerText && !change.spanRow)
        return std::nullopt;
    change.spanFirst = spanFirst && change.spanRow && change.centerText;
    return change;
}

// A centre for a span the user chose: moved inwards, as a changed span moves it, until the
// window fits.
std::string CenterForSpan(double centerMHz, int row)
{
    std::string text = CenterText(centerMHz);
    if (const std::optional<double> fitted = CenterThatFits(NumericValue(text), SpanCaption(row)))
        text = CenterText(*fitted);
    return text;
}

}  // namespace

int NarrowestSpanRowCovering(double widthMHz)
{
    // The band's width comes from point frequencies: allow for their last bits.
    const double width = widthMHz * (1 - 1e-9);
    for (int row = 1; row < kWidestSpanRow; ++row)
        if (kDivisionsOnScreen * MHzPerDivision(SpanCaption(row)) >= width)
            return row;
    return kWidestSpanRow;
}

std::optional<SettingsChange> ZoomToBand(const MeasurementState &state, double x1, double x2)
{
    if (IsZeroSpan(state.spanCaption))
        return std::nullopt;
    const int first = std::min(PointAt(x1), PointAt(x2)), last = std::max(PointAt(x1), PointAt(x2));
    if (first == last)
        return std::nullopt;
    const PointScale scale(state);
    const double low = scale.MHz(first), high = scale.MHz(last);
    const int row = NarrowestSpanRowCovering(high - low);
    // A band is never wider than the screen it was dragged on, so the span only narrows and is
    // sent first, around the old centre, where it fits.
    return ChangeTo(state, CenterForSpan((low + high) / 2, row), row, true);
}

std::optional<SettingsChange> SpanStep(const MeasurementState &state, int direction)
{
    const int row = SpanRow(state);
    int next = row;
    if (direction < 0 && row > 1)
        next = row - 1;
    else if (direction > 0 && row < kWidestSpanRow)
        next = row + 1;
    if (next == row)
        return std::nullopt;
    // A narrower span fits wherever the wider one did; a wider one goes after the centre that
    // makes room for it.
    return ChangeTo(state, CenterForSpan(NumericValue(state.centerFreqMHz), next), next, next < row);
}

std::optional<SettingsChange> CenterStep(const MeasurementState &state, int direction, float freqStepMHz)
{
    const float step = IsZeroSpan(state.spanCaption) ? freqStepMHz : static_cast<float>(MHzPerDivision(state.spanCaption));
    const std::optional<std::string> moved = StepFrequencyText(state.centerFreqMHz, direction, step);
    if (!moved)
        return std::nullopt;
    return ChangeTo(state, CenterForSpan(NumericValue(*moved), SpanRow(state)), SpanRow(state), false);
}

std::optional<SettingsChange> RefLevelStep(const MeasurementState &state, int direction)
{
    const int row = RefLevelToIndex(RoundHalfEvenToInt32(NumericValue(state.refLevelDbm)));
    const int next = std::clamp(row + (direction > 0) - (direction < 0), 0, kHighestRefLevelRow);
    if (next == row)
        return std::nullopt;
    SettingsChange change;
    change.refLevelRow = next;
    return change;
}

std::optional<SettingsChange> CenterAt(const MeasurementState &state, double centerMHz)
{
    const std::string text = CenterText(CenterInRange(centerMHz));
    // The narrowed span fits around the old centre too, so it goes first, as the centre field
    // sends it.
    return ChangeTo(state, text, SpanRowThatFits(NumericValue(text), SpanRow(state)), true);
}

}  // namespace tavrin
