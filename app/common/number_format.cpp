#include "common/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace tavrin {

namespace {

constexpr int kSignificantDigits = 15;

// The value rounded to 15 significant digits: |value| = d1.d2...d15 x 10^exponent.
struct Decimal {
    bool negative = false;
    std::string digits;  // exactly kSignificantDigits digits, the first non-zero unless all are
    int exponent = 0;
};

Decimal ToDecimal(double value)
{
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                std::chars_format::scientific, kSignificantDigits - 1);
    std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));  // "d.ddde+XX"
    Decimal decimal;
    decimal.negative = std::signbit(value);
    size_t e = text.find('e');
    for (char c : text.substr(0, e)) {
        if (c != '.')
            decimal.digits += c;
    }
    decimal.exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
    return decimal;
}

bool IsZeroText(std::string_view digits)
{
    return digits.find_first_not_of('0') == std::string_view::npos;
}

// Digits of round(|decimal| x 10^decimals), halves away from zero.
std::string ScaledDigits(const Decimal &decimal, int decimals)
{
    long keep = static_cast<long>(decimal.exponent) + decimals + 1;  // digits left of the cut
    if (keep < 0)
        return "0";
    if (keep == 0)
        return decimal.digits[0] >= '5' ? "1" : "0";
    std::string scaled = decimal.digits.substr(0, static_cast<size_t>(std::min<long>(keep, kSignificantDigits)));
    scaled.append(static_cast<size_t>(std::max<long>(0, keep - kSignificantDigits)), '0');
    if (keep < kSignificantDigits && decimal.digits[static_cast<size_t>(keep)] >= '5') {
        size_t i = scaled.size();
        while (i > 0 && scaled[i - 1] == '9')
            scaled[--i] = '0';
        if (i == 0)
            scaled.insert(scaled.begin(), '1');
        else
            ++scaled[i - 1];
    }
    return scaled;
}

std::string NonFinite(double value)
{
    if (std::isnan(value))
        return "nan";
    return value < 0 ? "-inf" : "inf";
}

}  // namespace

std::string FormatFixed(double value, int minDecimals, int maxDecimals)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    minDecimals = std::max(0, minDecimals);
    maxDecimals = std::max(minDecimals, maxDecimals);
    Decimal decimal = ToDecimal(value);
    std::string scaled = ScaledDigits(decimal, maxDecimals);
    if (scaled.size() < static_cast<size_t>(maxDecimals) + 1)
        scaled.insert(0, static_cast<size_t>(maxDecimals) + 1 - scaled.size(), '0');
    std::string whole = scaled.substr(0, scaled.size() - static_cast<size_t>(maxDecimals));
    std::string fraction = scaled.substr(whole.size());
    while (fraction.size() > static_cast<size_t>(minDecimals) && fraction.back() == '0')
        fraction.pop_back();
    std::string text;
    if (decimal.negative && !IsZeroText(scaled))
        text = "-";
    text += whole;
    if (!fraction.empty())
        text += "." + fraction;
    return text;
}

std::string FormatPicture(double value, std::string_view pattern)
{
    if (pattern.empty())
        return PlainDecimal(value);
    if (pattern.find_first_not_of('@') == std::string_view::npos)
        return FormatAt(PlainDecimal(value), pattern);
    size_t point = pattern.find('.');
    std::string_view fraction = point == std::string_view::npos ? std::string_view() : pattern.substr(point + 1);
    std::string_view whole = pattern.substr(0, point);
    if (whole.find_first_not_of("#0") != std::string_view::npos ||
        fraction.find_first_not_of("#0") != std::string_view::npos)
        return PlainDecimal(value);
    int required = static_cast<int>(std::count(fraction.begin(), fraction.end(), '0'));
    return FormatFixed(value, required, static_cast<int>(fraction.size()));
}

std::string FormatAt(std::string_view text, std::string_view pattern)
{
    std::string aligned;
    if (text.size() < pattern.size())
        aligned.assign(pattern.size() - text.size(), ' ');
    aligned += text;
    return aligned;
}

std::string PlainDecimal(double value)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    Decimal decimal = ToDecimal(value);
    std::string digits = decimal.digits;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    if (IsZeroText(digits))
        return "0";
    int count = static_cast<int>(digits.size());
    std::string text = decimal.negative ? "-" : "";
    if (decimal.exponent < 0) {
        text += "0." + std::string(static_cast<size_t>(-decimal.exponent - 1), '0') + digits;
    } else if (decimal.exponent >= count - 1) {
        text += digits + std::string(static_cast<size_t>(decimal.exponent - count + 1), '0');
    } else {
        size_t split = static_cast<size_t>(decimal.exponent) + 1;
        text += digits.substr(0, split) + "." + digits.substr(split);
    }
    return text;
}

std::string NumberPrintForm(double value)
{
    std::string text = PlainDecimal(value);
    if (text.front() != '-')
        text.insert(text.begin(), ' ');
    return text + " ";
}

}  // namespace tavrin
