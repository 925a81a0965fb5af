// Difference traces: the live trace minus memory A, or memory A minus memory B, point by point in
// dB, shown on a scale of their own: 0 dB on the middle line, +40 dB on the top line and -40 dB on
// the bottom one (10 dB a division), anything beyond drawn on the edge it passes. Two traces are
// only subtracted when they were taken at the same settings, and those are the screen's: their
// points then stand for the same frequencies and levels.
#pragma once

#include "measure/analyzer_settings.h"
#include "measure/measure_setting.h"
#include "measure/screen_conversions.h"

#include <array>
#include <optional>
#include <string>

namespace tavrin {

inline constexpr double kDifferenceTopDb = 40.0;  // the bottom line is -40 dB, the middle line 0

enum class DifferenceKind { LiveMinusA, AMinusB };

// "Live - A" or "A - B", for the scale's caption.
std::string DifferenceCaption(DifferenceKind kind);

// Centre (to the hertz), span, reference level and RBW; captions trimmed, case ignored.
bool SameTraceSettings(const AnalyzerSettings &a, const AnalyzerSettings &b);
// Why a memory is not subtracted: the settings it was taken at that differ from the screen's.
// who: "Memory A", "Memory B".
std::string OtherSettingsNote(const std::string &who, const AnalyzerSettings &memory, const AnalyzerSettings &screen);

// A trace with the settings it was taken at; no points when there is none (an empty memory).
struct SettledTrace {
    const TracePoints *points = nullptr;
    AnalyzerSettings settings;
};

struct TraceDifference {
    std::string caption;
    std::optional<std::array<double, kTracePoints>> db;  // none: not subtracted, and why in note
    std::string note;
};

// live's settings are the screen's.
TraceDifference SubtractTraces(DifferenceKind kind, const SettledTrace &live, const SettledTrace &a,
                               const SettledTrace &b);

// Where a difference stands on the screen: 0 dB at 511.5, +/-40 dB on the top and bottom lines
// (1023 and 0), held there beyond them.
double DifferenceHeight(double db);
std::array<double, kTracePoints> DifferenceHeights(const std::array<double, kTracePoints> &db);

// A marker's reading of the difference at a frequency, in dB, beyond the scale too; a frequency
// off the screen reads point 0, as a level reading does. None when nothing was subtracted.
std::optional<double> ReadDifference(const MeasurementState &state, const TraceDifference &difference, double MHz);

}  // namespace tavrin
