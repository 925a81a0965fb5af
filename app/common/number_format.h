// Numbers written as text: the picture patterns, plain decimals and the number print form.
//
// Every number is first written as its decimal of 15 significant digits (all a double reliably
// holds), and all further rounding works on those decimal digits, halves away from zero. So a
// value rounds the way the decimal the user sees does: 0.0005 with "#0.000" gives "0.001" and
// 0.15 with "#0.0" gives "0.2", although both doubles lie a hair below the half. A result that
// rounds to zero carries no minus sign. No digit grouping, '.' in every locale.
#pragma once

#include <string>
#include <string_view>

namespace tavrin {

// At least minDecimals and at most maxDecimals decimals (trailing zeros dropped between the two),
// at least one digit before the point.
std::string FormatFixed(double value, int minDecimals, int maxDecimals);

// A digit picture: '0' a required digit, '#' an optional one, e.g. "#0.0", "#0.000", "#0.000##"
// (three to five decimals). A pattern of '@' only right-aligns the plain decimal of the value as
// FormatAt does. An empty pattern, or one with other characters, gives the plain decimal.
std::string FormatPicture(double value, std::string_view pattern);

// The text right-aligned in as many positions as the pattern has characters ("@@@@"); a longer
// text is returned whole.
std::string FormatAt(std::string_view text, std::string_view pattern);

// Shortest plain decimal: no exponent, no trailing zeros, at most 15 significant digits
// (80 -> "80", 150.5 -> "150.5", 0.25 -> "0.25", 0.1 + 0.2 -> "0.3", 1e20 -> "100000000000000000000").
// -0 gives "0"; NaN and infinities give "nan", "inf", "-inf".
std::string PlainDecimal(double value);

// A number printed straight onto a drawing surface: the plain decimal with a blank before it
// unless it is negative, and a blank after it (80 -> " 80 ", -3.5 -> "-3.5 ", 0.25 -> " 0.25 ").
// Unlike some BASIC dialects the zero before the point is kept.
std::string NumberPrintForm(double value);

}  // namespace tavrin
