// A text as one field of a CSV row.
#pragma once

#include <string>

namespace tavrin {

// Quoted, its quotes doubled, when it holds a comma, a quote or a line end (a file name or a
// caption from a damaged file can); otherwise as it is.
std::string CsvField(const std::string &text);

}  // namespace tavrin
