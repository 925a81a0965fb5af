// Reading numbers out of texts the user typed, and the small text clean-ups used before comparing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavrin {

// The leading decimal number of a text: optional blanks (space, tab, CR, LF), an optional sign,
// digits with at most one '.', whatever follows ignored. '.' is the separator in every locale and
// there is no exponent ("1e3" reads 1). A text without such a number reads 0; "-.5" reads -0.5.
// Digits beyond the double range read as plus or minus infinity.
double NumericValue(std::string_view text);

// A text that is one finite number and nothing else: blanks around it, an optional sign, '.' as
// the decimal point, an exponent allowed ("1e3"). Anything else, an empty text included, is none.
std::optional<double> WholeNumber(std::string_view text);

// Spaces only, as the stored fixed-width texts are padded with spaces.
std::string TrimSpaces(std::string_view text);
std::string ToUpperAscii(std::string_view text);

}  // namespace tavrin
