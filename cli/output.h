// What tavrin-cli writes: the analyzer's report as text or JSON. The JSON of a trace, and the
// JsonString and JsonNumber every command uses, are record/record_json.h's.
#pragma once

#include "measure/analyzer_settings.h"
#include "record/record_file.h"
#include "record/record_json.h"

#include <string>

namespace tavrin::cli {

// "center_mhz":..,"span":..,"ref_level_dbm":..,"rbw":.. of a report (no braces).
std::string SettingsJsonFields(const AnalyzerSettings &report);
// Four lines: centre, span, reference level, RBW.
std::string SettingsText(const AnalyzerSettings &report);

}  // namespace tavrin::cli
