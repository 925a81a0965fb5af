// A trace as JSON, the one spelling shared by tavrin-cli's JSON lines and the MQTT payloads: time,
// settings and the 500 levels in dBm under the same keys everywhere.
#pragma once

#include "record/record_file.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tavrin {

// A JSON string literal (quotes, escapes; bytes outside ASCII as \u00XX, so that a damaged file's
// caption never breaks the line).
std::string JsonString(std::string_view text);
// A JSON number; null for NaN and the infinities, which JSON has no spelling for.
std::string JsonNumber(double value);

// "center_mhz":..,"span":..,"ref_level_dbm":..,"rbw":.. (no braces); the captions trimmed.
std::string SettingsJsonFields(double centerMHz, std::string_view span, int refLevelDbm, std::string_view rbw);

// A level in dBm of a point 0..1023 below a reference level.
double PointLevelDbm(int16_t refLevelDbm, int16_t point);

// The object of a trace: leadingFields (e.g. "\"serial\":\"1\",\"seq\":3,", or nothing), then
// time, settings and the 500 levels in dBm; no line end.
std::string TraceJson(const TraceRecord &record, std::string_view leadingFields = {});
// The same object with its LF, as a JSON line.
std::string TraceJsonLine(const TraceRecord &record);

}  // namespace tavrin
