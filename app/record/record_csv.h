// A record as CSV for spreadsheets and data tools: one row per trace.
#pragma once

#include "measure/measure_setting.h"
#include "record/record_file.h"

#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

// Header row, then one row per entry up to the first empty one: time (ISO 8601, local time),
// centre MHz, span caption, reference level dBm, RBW caption, and the 500 points as levels in
// dBm (or dBu with dbu) under headings that are the frequencies, in MHz, of the first entry's
// points. An empty table gives the header row only, with no frequencies.
std::string RecordCsv(const RecordTable &table, bool dbu);

// One row of an entry: first, in place of the time, the given text.
std::string CsvRow(std::string_view first, const TraceRecord &entry, bool dbu);

// A hold trace as the CSV file carries it: its name and the settings its traces were taken at.
struct CsvHold {
    std::string name;  // "max_hold", "min_hold"
    const LiveTrace *points = nullptr;
    ReportedSettings settings;
};
// The rows of the holds, to follow the trace rows: the name in the time column, then the hold's
// settings and points as any row has them.
std::string CsvHoldRows(const std::vector<CsvHold> &holds, bool dbu);

}  // namespace tavrin
