// Recorded traces and the record file (".spf"): fixed 1060-byte records, no header, no count,
// little-endian numbers and space-padded captions. Entry i of a table is record i + 1.
#pragma once

#include "common/job_control.h"
#include "measure/analyzer_settings.h"
#include "measure/screen_conversions.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavrin {

inline constexpr size_t kRecordBytes = 1060;
inline constexpr size_t kRecordDataBytes = 1038;  // the rest of a record is filler, never read
// Load holds a record in memory, a kilobyte per record: a file of more records is refused rather
// than read (a gigabyte, 2.3 days of a continuous recording at 0.2 s). RecordReader reads any length.
inline constexpr int64_t kMaxLoadedRecords = 1'000'000;

using SpanText = std::array<char, 12>;
using RbwText = std::array<char, 8>;

// A value-initialised record has every byte zero, so it is empty.
struct TraceRecord {
    double time = 0;           // days since 30 Dec 1899 00:00, local time, day fraction = time of day
    double centerFreqMHz = 0;  // not above 0 (or NaN): an empty entry, the end of the record
    SpanText spanCaption{};
    int16_t refLevelDbm = 0;
    RbwText rbwCaption{};
    TracePoints points{};

    bool Filled() const { return centerFreqMHz > 0; }
};

using RecordTable = std::vector<TraceRecord>;
using RecordBytes = std::array<uint8_t, kRecordBytes>;

RecordBytes EncodeRecord(const TraceRecord &record);
// Reads the data bytes of a record; any bit pattern is accepted.
TraceRecord DecodeRecord(const uint8_t *bytes);

// A caption cut or padded with spaces to the field, and the field's characters as they are.
template <size_t N>
std::array<char, N> FixedText(const std::string &text)
{
    std::array<char, N> field;
    field.fill(' ');
    for (size_t i = 0; i < N && i < text.size(); ++i)
        field[i] = text[i];
    return field;
}
template <size_t N>
std::string FieldText(const std::array<char, N> &field)
{
    return std::string(field.data(), N);
}
// For showing a caption from an untrusted file: NUL as a blank, other control bytes as '?'.
std::string PrintableText(const std::string &text);

// A trace with the settings it was taken at and the time it came at, as a record keeps it.
TraceRecord MakeRecord(std::time_t time, const AnalyzerSettings &settings, const TracePoints &points);
// The settings a record was taken at, its captions trimmed and made printable.
AnalyzerSettings RecordSettings(const TraceRecord &record);

// The record's date-time, and back. A stored value that is not a date the program can show (NaN,
// beyond the years 100 to 9999) is brought to the nearest end of that range, NaN to day 0.
double ToRecordTime(std::time_t time);
std::time_t FromRecordTime(double days);

// Records in a file of this length: a trailing part of more than half a record counts as one
// more, exactly half rounds to the even count.
int64_t RecordCountForLength(uint64_t bytes);

// The period of the recording and playback timer, or nothing for an interval that rounds to 0 ms
// (or below) or beyond what a timer takes.
std::optional<int32_t> TimerPeriodMs(double intervalSeconds);
// Entries of a timed recording (entries 0 to n, so n + 1), or nothing when the settings give no
// usable recording: an unusable interval, a negative count, or more entries than the 16-bit count
// holds.
std::optional<int32_t> TimedEntryCount(double minutes, double intervalSeconds);

struct RecordFileResult {
    bool ok = false;
    bool cancelled = false;  // the user stopped it: nothing was changed
    int64_t records = 0;     // records read (or written)
    std::string error;       // why not, for the user
};

// Reads a whole record file. A file of 0 bytes (or less than half a record) gives no records and
// leaves table alone; a readable one replaces table. Bytes a short last record lacks read as 0.
// Anything but a regular file, and a file of more than kMaxLoadedRecords, is refused without
// waiting on it. With a control, the progress is counted in records and a cancel leaves table
// alone.
RecordFileResult LoadRecordFile(const std::string &path, RecordTable &table, JobControl *control = nullptr);

// Whether every field of a record could have come from the analyzer: a centre within its range, a
// span, reference level and RBW of its tables (or a blank caption, which a recording stores when
// the analyzer's header has none), a finite time and points of 0..1023.
bool PossibleRecord(const TraceRecord &record);
// Leaves only the possible records in table, in their order, up to the first empty entry (a
// centre of 0), which ends the record as for every reader; returns how many impossible ones went.
int64_t RemoveImpossibleRecords(RecordTable &table);

// Writes what append(i, text) adds for i = 0..count-1, then for i = count (a tail, if any), to
// path through a FileReplacement, stretchBytes at a time: memory stays flat, and a failure or a
// cancel leaves the old file whole and no partial one behind. Progress is counted in items.
RecordFileResult WriteInStretches(const std::string &path, size_t count, size_t stretchBytes,
                                  const std::function<void(size_t, std::string &)> &append,
                                  JobControl *control = nullptr);

// Writes the entries up to the first empty one through a temporary file in the same folder,
// flushed and renamed over path, so a failure or a cancel leaves the old file whole and no
// half-written one behind.
RecordFileResult SaveRecordFile(const std::string &path, const RecordTable &table, JobControl *control = nullptr);


}  // namespace tavrin
