// The analyzer's four settings as one value: what a trace was taken at, what a record keeps, what
// the panel shows.
#pragma once

#include <cstdint>
#include <string>

namespace tavrin {

struct AnalyzerSettings {
    double centerMHz = 0;   // 0 until the analyzer has reported one
    std::string span;       // a caption of the span table ("10MHZ/DIV"); empty for a code outside it
    int16_t refLevelDbm = 0;
    std::string rbw;        // "4MHZ" as reported, trimmed
    bool operator==(const AnalyzerSettings &) const = default;
};

}  // namespace tavrin
