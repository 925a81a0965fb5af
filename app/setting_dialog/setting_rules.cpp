#include "setting_dialog/setting_rules.h"

#include "common/color.h"
#include "common/number_format.h"
#include "common/rounding.h"
#include "common/text_number.h"

#include <algorithm>
#include <cstdio>

namespace tavrin {

namespace {

double Clamped(const std::string &text, double lowest, double highest)
{
    return std::clamp(NumericValue(text), lowest, highest);
}

}  // namespace

std::string NormalizeAverage(const std::string &text)
{
    return std::to_string(RoundHalfEvenToInt32(Clamped(text, 2, 255)));
}

std::string NormalizeFreqStep(const std::string &text) { return FormatFixed(Clamped(text, 0.001, 100), 3, 3); }

std::string NormalizeLevelStep(const std::string &text) { return FormatFixed(Clamped(text, 0.1, 10), 1, 1); }

std::string NormalizeInterval(const std::string &text) { return FormatFixed(Clamped(text, 0.2, 60), 1, 1); }

std::string NormalizeRecordTime(const std::string &text)
{
    const double v = NumericValue(text);
    if (v <= 0)
        return "Continuous";
    return FormatFixed(std::min(v, 30.0), 1, 1);
}

std::string FloatText(float value)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.7g", static_cast<double>(value));
    return PlainDecimal(NumericValue(buf));
}

uint32_t PaletteColor(int column, int row)
{
    column = std::clamp(column, 0, kPaletteColumns - 1);
    if (row >= 4) {
        const auto grey = static_cast<uint8_t>(255 - 17 * column);
        return Rgb(grey, grey, grey);
    }
    constexpr uint8_t kLevels[] = {255, 170, 85, 0};
    return Rgb(kLevels[std::max(row, 0)], kLevels[column / 4], kLevels[column % 4]);
}

}  // namespace tavrin
