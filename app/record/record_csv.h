// A record as CSV for spreadsheets and data tools: one row per trace.
#pragma once

#include "common/job_control.h"
#include "measure/measure_setting.h"
#include "record/record_file.h"
#include "record/record_reader.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

// The header row: time, centre MHz, span, reference level, RBW, then the frequencies in MHz of
// first's 500 points (none without first).
std::string CsvHeader(const TraceRecord *first);
// A record time as ISO 8601 local time without offset, to the second.
std::string CsvTime(double recordTime);
// The 500 levels of an entry in dBm (dBu with dbu), each after the separator, written exactly
// (a level is a whole number of 64ths of a dB) and fast.
void AppendLevels(std::string &out, const TraceRecord &entry, bool dbu, std::string_view separator);
// One row of an entry: first, in place of the time, the given text; then the centre MHz, the span
// caption, the reference level dBm, the RBW caption and the 500 levels in dBm (dBu with dbu).
std::string CsvRow(std::string_view first, const TraceRecord &entry, bool dbu);

// A hold trace as the CSV file carries it: its name and the settings its traces were taken at.
struct CsvHold {
    std::string name;  // "max_hold", "min_hold"
    const TracePoints *points = nullptr;
    AnalyzerSettings settings;
};
// The rows of the holds, to follow the trace rows: the name in the time column, then the hold's
// settings and points as any row has them.
std::string CsvHoldRows(const std::vector<CsvHold> &holds, bool dbu);

// Header row, then one row per entry up to the first empty one, under headings of the first
// entry's frequencies. An empty table gives the header row only, with no frequencies.
std::string RecordCsv(const RecordTable &table, bool dbu);

// The same, followed by holdRows (made by CsvHoldRows), written to path a stretch at a time, so memory stays flat
// whatever the record's length, through a temporary file renamed over path once complete: a
// failure or a cancel leaves the old file whole and no partial one behind. The progress is
// counted in rows.
RecordFileResult WriteRecordCsv(const std::string &path, const RecordTable &table, bool dbu,
                                const std::string &holdRows = {}, JobControl *control = nullptr);

// The same CSV of a record file, read a record at a time (the records a walk takes, WalkRecords)
// and handed to write about a megabyte at a time: memory stays flat whatever the file's length.
// A false from write ends the walk (stopped).
RecordWalk StreamRecordCsv(RecordReader &reader, bool dbu, const std::function<bool(const std::string &)> &write);

}  // namespace tavrin
