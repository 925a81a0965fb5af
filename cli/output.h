// What tavrin-cli writes: the analyzer's report as text or JSON, a trace as a record. The JSON of
// a trace, and the JsonString and JsonNumber every command uses, are record/record_json.h's.
#pragma once

#include "instrument/tavrin_dll.h"
#include "record/record_file.h"
#include "record/record_json.h"

#include <ctime>
#include <string>

namespace tavrin::cli {

// "center_mhz":..,"span":..,"ref_level_dbm":..,"rbw":.. of a report (no braces).
std::string SettingsJsonFields(const BlockReport &report);
// Four lines: centre, span, reference level, RBW.
std::string SettingsText(const BlockReport &report);

// A trace with the settings it came with and the time it came at, as a record file keeps it.
TraceRecord MakeRecord(std::time_t time, const BlockReport &report, const LiveTrace &points);

}  // namespace tavrin::cli
