// A record as CSV for spreadsheets and data tools: one row per trace.
#pragma once

#include "record/record_file.h"

#include <string>

namespace tavrin {

// Header row, then one row per entry up to the first empty one: time (ISO 8601, local time),
// centre MHz, span caption, reference level dBm, RBW caption, and the 500 points as levels in
// dBm (or dBu with dbu) under headings that are the frequencies, in MHz, of the first entry's
// points. An empty table gives the header row only, with no frequencies.
std::string RecordCsv(const RecordTable &table, bool dbu);

}  // namespace tavrin
