// A record as CSV for spreadsheets and data tools: one row per trace.
#pragma once

#include "common/job_control.h"
#include "record/record_file.h"

#include <string>

namespace tavrin {

// Header row, then one row per entry up to the first empty one: time (ISO 8601, local time),
// centre MHz, span caption, reference level dBm, RBW caption, and the 500 points as levels in
// dBm (or dBu with dbu) under headings that are the frequencies, in MHz, of the first entry's
// points. An empty table gives the header row only, with no frequencies.
std::string RecordCsv(const RecordTable &table, bool dbu);

// The same written to path a stretch at a time, so memory stays flat whatever the record's
// length, through a temporary file renamed over path once complete: a failure or a cancel leaves
// the old file whole and no partial one behind. The progress is counted in rows.
RecordFileResult WriteRecordCsv(const std::string &path, const RecordTable &table, bool dbu,
                                JobControl *control = nullptr);

}  // namespace tavrin
