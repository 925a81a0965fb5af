#include "measure/measurement_state.h"

#include "common/number_format.h"
#include "common/rounding.h"
#include "common/text_number.h"

namespace tavrin {

namespace {

template <size_t N>
std::string RowText(const std::array<std::string_view, N> &table, int index)
{
    if (index < 0 || index >= static_cast<int>(N))
        index = 0;
    return std::string(table[static_cast<size_t>(index)]);
}

template <size_t N>
int FindCaption(const std::array<std::string_view, N> &table, std::string_view caption)
{
    std::string wanted = ToUpperAscii(TrimSpaces(caption));
    for (size_t i = 0; i < N; ++i) {
        if (table[i] == wanted)
            return static_cast<int>(i);
    }
    return 0;
}

// The letter that tells the unit of a span caption: the first of its last seven characters, so
// '0' for "0HZ/DIV", 'K' for "500KHZ/DIV", 'M' for "100MHZ/DIV"; 0 for an empty caption.
char SpanUnitLetter(std::string_view spanCaption)
{
    std::string trimmed = TrimSpaces(spanCaption);
    if (trimmed.empty())
        return 0;
    size_t from = trimmed.size() > 7 ? trimmed.size() - 7 : 0;
    return ToUpperAscii(trimmed.substr(from, 1))[0];
}

}  // namespace

MeasurementState StateOf(const AnalyzerSettings &settings)
{
    MeasurementState state;
    state.centerFreqMHz = FormatFixed(settings.centerMHz, 3, 3);
    state.spanIndex = SpanToIndex(settings.span);
    state.spanCaption = settings.span;
    state.refLevelIndex = RefLevelToIndex(settings.refLevelDbm);
    state.refLevelDbm = std::to_string(settings.refLevelDbm);
    state.rbwIndex = RBWToIndex(settings.rbw);
    state.rbwCaption = settings.rbw;
    return state;
}

std::string SpanCaption(int index) { return RowText(kSpanCaptions, index); }
std::string RefLevelText(int index) { return RowText(kRefLevelTexts, index); }
std::string RbwCaption(int index) { return RowText(kRbwCaptions, index); }

double MHzPerDivision(std::string_view spanCaption)
{
    switch (SpanUnitLetter(spanCaption)) {
    case 'K':
        return NumericValue(TrimSpaces(spanCaption)) * 0.001;
    case 'M':
        return NumericValue(TrimSpaces(spanCaption));
    default:
        return 0.0;
    }
}

bool IsZeroSpan(std::string_view spanCaption) { return SpanUnitLetter(spanCaption) == '0'; }

int SpanToIndex(std::string_view hzPerDiv) { return FindCaption(kSpanCaptions, hzPerDiv); }
int RBWToIndex(std::string_view rating) { return FindCaption(kRbwCaptions, rating); }

int RefLevelToIndex(int dBm)
{
    for (size_t i = 0; i < kRefLevelsDbm.size(); ++i) {
        if (kRefLevelsDbm[i] == dBm)
            return static_cast<int>(i);
    }
    return 0;
}

FrequencyWindow WindowAround(double centerMHz, std::string_view spanCaption)
{
    const float division = ToSingle(MHzPerDivision(spanCaption));
    return {division, ToSingle(centerMHz - 5.0 * division), ToSingle(centerMHz + 5.0 * division)};
}

namespace {

FrequencyWindow Shown(const MeasurementState &state)
{
    return WindowAround(NumericValue(state.centerFreqMHz), state.spanCaption);
}

}  // namespace

float StartFreq(const MeasurementState &state) { return IsZeroSpan(state.spanCaption) ? 0.0f : Shown(state).startMHz; }
float StopFreq(const MeasurementState &state) { return IsZeroSpan(state.spanCaption) ? 0.0f : Shown(state).stopMHz; }

}  // namespace tavrin
