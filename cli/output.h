// What tavrin-cli writes: the analyzer's report as text or JSON, a trace as a record, a CSV row or
// a JSON line. The CSV file has the columns of the program's export; a JSON line has the same
// time, settings and levels.
#pragma once

#include "instrument/tavrin_dll.h"
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
std::string SettingsJsonFields(const BlockReport &report);
// Four lines: centre, span, reference level, RBW.
std::string SettingsText(const BlockReport &report);

// A trace with the settings it came with and the time it came at, as a record file keeps it.
TraceRecord MakeRecord(std::time_t time, const BlockReport &report, const LiveTrace &points);
// The report a record was taken with.
BlockReport RecordReport(const TraceRecord &record);

// One JSON line (with its LF): time, settings and the 500 levels in dBm.
std::string TraceJsonLine(const TraceRecord &record);

// A level in dBm of a point 0..1023 below a reference level.
double PointLevelDbm(int16_t refLevelDbm, int16_t point);

}  // namespace tavrin::cli
