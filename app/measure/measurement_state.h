// The panel's copy of the analyzer settings, the span, reference-level and RBW tables, and the
// displayed frequency window.
#pragma once

#include "measure/analyzer_settings.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavrin {

// Table rows are also the codes of the link protocol and of the trace header.
inline constexpr std::array<std::string_view, 16> kSpanCaptions = {
    "0HZ/DIV",    "2KHZ/DIV",   "5KHZ/DIV",   "10KHZ/DIV", "20KHZ/DIV", "50KHZ/DIV",
    "100KHZ/DIV", "200KHZ/DIV", "500KHZ/DIV", "1MHZ/DIV",  "2MHZ/DIV",  "5MHZ/DIV",
    "10MHZ/DIV",  "20MHZ/DIV",  "50MHZ/DIV",  "100MHZ/DIV"};
inline constexpr std::array<int16_t, 6> kRefLevelsDbm = {-30, -20, -10, 0, 10, 20};
inline constexpr std::array<std::string_view, 6> kRefLevelTexts = {"-30", "-20", "-10", "0", "10", "20"};
inline constexpr std::array<std::string_view, 4> kRbwCaptions = {"3KHZ", "30KHZ", "220KHZ", "4MHZ"};

// Centre and marker frequencies reached by a spinner step stay strictly inside these.
inline constexpr double kStepMinMHz = 0.0;
inline constexpr double kStepMaxMHz = 1100.0;
// The displayed window must stay within these.
inline constexpr double kWindowMinMHz = 0.0;
inline constexpr double kWindowMaxMHz = 1150.0;

// The texts are what count: every use reads the number out of the current text. Indexes follow
// the captions. Until the operation file is restored every table setting sits on its row 0.
struct MeasurementState {
    std::string centerFreqMHz = "80.000";
    int spanIndex = 0;
    std::string spanCaption = std::string(kSpanCaptions[0]);
    int refLevelIndex = 0;
    std::string refLevelDbm = std::string(kRefLevelTexts[0]);
    int rbwIndex = 0;
    std::string rbwCaption = std::string(kRbwCaptions[0]);
    std::string unit = "dBm";  // or "dBu"; may carry padding, compare trimmed
};

// The state a trace taken at these settings is drawn and read in.
MeasurementState StateOf(const AnalyzerSettings &settings);

// The row's text, or row 0's for an index outside the table.
std::string SpanCaption(int index);
std::string RefLevelText(int index);
std::string RbwCaption(int index);

// Width of one division in MHz from a span caption: "500KHZ/DIV" 0.5, "10MHZ/DIV" 10, zero span
// and anything unrecognised 0.
double MHzPerDivision(std::string_view spanCaption);

// Zero span: the caption's unit letter (as MHzPerDivision reads it) is '0'.
bool IsZeroSpan(std::string_view spanCaption);

// Table row for a caption or level (trimmed, case ignored); row 0 when there is no such row.
int SpanToIndex(std::string_view hzPerDiv);
int RefLevelToIndex(int dBm);
int RBWToIndex(std::string_view rating);

// The displayed window around a centre: centre -/+ 5 divisions, the division width and both edges
// held in single precision; at zero span both edges are the centre.
struct FrequencyWindow {
    float divisionMHz = 0;
    float startMHz = 0;
    float stopMHz = 0;
};
FrequencyWindow WindowAround(double centerMHz, std::string_view spanCaption);

// The displayed window's edges in MHz; 0 for both at zero span.
float StartFreq(const MeasurementState &state);
float StopFreq(const MeasurementState &state);

}  // namespace tavrin
