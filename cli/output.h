// What tavrin-cli writes: the analyzer's report as text or JSON, a trace as a record, a CSV row or
// a JSON line. The CSV file has the columns of the program's export; a JSON line has the same
// time, settings and levels.
#pragma once

#include "measure/analyzer_settings.h"
#include "record/record_file.h"

#include <ctime>
#include <string>
#include <string_view>

namespace tavrin::cli {

// A JSON string literal (quotes, escapes; bytes outside ASCII as \u00XX, so that a damaged file's
// caption never breaks the line).
std::string JsonString(std::string_view text);
// A JSON number; null for NaN and the infinities, which JSON has no spelling for.
std::string JsonNumber(double value);

// "center_mhz":..,"span":..,"ref_level_dbm":..,"rbw":.. of a report (no braces).
std::string SettingsJsonFields(const AnalyzerSettings &report);
// Four lines: centre, span, reference level, RBW.
std::string SettingsText(const AnalyzerSettings &report);

// One JSON line (with its LF): time, settings and the 500 levels in dBm.
std::string TraceJsonLine(const TraceRecord &record);

// A level in dBm of a point 0..1023 below a reference level.
double PointLevelDbm(int16_t refLevelDbm, int16_t point);

}  // namespace tavrin::cli
