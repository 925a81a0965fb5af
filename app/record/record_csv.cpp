#include "record/record_csv.h"

#include "common/csv_field.h"
#include "common/date_format.h"
#include "common/number_format.h"
#include "common/text_number.h"
#include "measure/measurement_state.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>

namespace tavrin {

namespace {


std::string IsoTimeText(double recordTime) { return FormatIsoTime(FromRecordTime(recordTime)); }

// Point 251 is the centre, 50 points a division; unlike the screen's conversion, point 499 gets
// its frequency too.
double PointMHz(const TraceRecord &entry, int point)
{
    return entry.centerFreqMHz + (point - kCenterPoint) * MHzPerDivision(FieldText(entry.spanCaption)) /
                                     kPointsPerDivision;
}

// A level, ref - (1023 - point) x 0.078125 (+ 107 in dBu), is a whole number of 64ths of a dB
// with at most 11 digits: its shortest plain decimal is written straight from that number, the
// whole part and then one of 64 fixed fractions, far faster than through a double.
static_assert(kDbPerStepRead * 64 == 5);
constexpr int kStepsIn64ths = 5;

struct Fraction {
    char text[8];
    size_t size;
};

constexpr std::array<Fraction, 64> MakeFractions()
{
    std::array<Fraction, 64> table{};
    for (int k = 1; k < 64; ++k) {
        int millionths = k * 15625;  // k / 64 = k x 0.015625
        Fraction &f = table[static_cast<size_t>(k)];
        f.text[0] = '.';
        for (int digit = 6; digit >= 1; --digit, millionths /= 10)
            f.text[digit] = static_cast<char>('0' + millionths % 10);
        f.size = 7;
        while (f.text[f.size - 1] == '0')
            --f.size;
    }
    return table;
}
constexpr std::array<Fraction, 64> kFractions = MakeFractions();

char *PutLevel(char *at, int64_t sixtyFourths)
{
    if (sixtyFourths < 0) {
        *at++ = '-';
        sixtyFourths = -sixtyFourths;
    }
    at = std::to_chars(at, at + 20, sixtyFourths / 64).ptr;
    const Fraction &f = kFractions[static_cast<size_t>(sixtyFourths % 64)];
    std::memcpy(at, f.text, f.size);
    return at + f.size;
}

size_t FilledCount(const RecordTable &table)
{
    size_t n = 0;
    while (n < table.size() && table[n].Filled())
        ++n;
    return n;
}

void AppendRow(std::string &out, std::string_view first, const TraceRecord &entry, bool dbu)
{
    out += first;
    out += ',';
    out += PlainDecimal(entry.centerFreqMHz);
    out += ',';
    out += CsvField(TrimSpaces(PrintableText(FieldText(entry.spanCaption))));
    out += ',';
    out += std::to_string(entry.refLevelDbm);
    out += ',';
    out += CsvField(TrimSpaces(PrintableText(FieldText(entry.rbwCaption))));
    AppendLevels(out, entry, dbu, ",");
    out += "\r\n";
}

}  // namespace

void AppendLevels(std::string &out, const TraceRecord &entry, bool dbu, std::string_view separator)
{
    constexpr size_t kMaxSeparator = 4;
    std::array<char, kTracePoints * (kMaxSeparator + 23)> levels;  // a sign, up to 15 digits, 6 decimals
    separator = separator.substr(0, kMaxSeparator);
    const int64_t top = 64 * (entry.refLevelDbm + (dbu ? 107 : 0));
    char *at = levels.data();
    for (int16_t point : entry.points) {
        at = std::copy(separator.begin(), separator.end(), at);
        at = PutLevel(at, top - kStepsIn64ths * (kTopLevelValue - int64_t{point}));
    }
    out.append(levels.data(), static_cast<size_t>(at - levels.data()));
}

std::string CsvHeader(const TraceRecord *first)
{
    std::string header = "time,center_mhz,span,ref_level_dbm,rbw";
    for (int i = 0; first && i < kTracePoints; ++i) {
        header += ',';
        header += PlainDecimal(PointMHz(*first, i));
    }
    return header + "\r\n";
}

std::string CsvTime(double recordTime) { return IsoTimeText(recordTime); }

std::string CsvRow(std::string_view first, const TraceRecord &entry, bool dbu)
{
    std::string row;
    AppendRow(row, first, entry, dbu);
    return row;
}

std::string CsvHoldRows(const std::vector<CsvHold> &holds, bool dbu)
{
    std::string rows;
    for (const CsvHold &hold : holds) {
        if (!hold.points)
            continue;
        TraceRecord entry;
        entry.centerFreqMHz = hold.settings.centerMHz;
        entry.spanCaption = FixedText<12>(hold.settings.span);
        entry.refLevelDbm = hold.settings.refLevelDbm;
        entry.rbwCaption = FixedText<8>(hold.settings.rbw);
        entry.points = *hold.points;
        AppendRow(rows, hold.name, entry, dbu);
    }
    return rows;
}

std::string RecordCsv(const RecordTable &table, bool dbu)
{
    const size_t count = FilledCount(table);
    std::string csv = CsvHeader(count ? &table.front() : nullptr);
    for (size_t i = 0; i < count; ++i)
        AppendRow(csv, IsoTimeText(table[i].time), table[i], dbu);
    return csv;
}

RecordFileResult WriteRecordCsv(const std::string &path, const RecordTable &table, bool dbu,
                                const std::string &holdRows, JobControl *control)
{
    const size_t count = FilledCount(table);
    return WriteInStretches(path, count, size_t{1} << 20,
                            [&](size_t i, std::string &out) {
                                if (i == 0)
                                    out += CsvHeader(count ? &table.front() : nullptr);
                                if (i < count)
                                    AppendRow(out, IsoTimeText(table[i].time), table[i], dbu);
                                else
                                    out += holdRows;
                            },
                            control);
}

RecordWalk StreamRecordCsv(RecordReader &reader, bool dbu, const std::function<bool(const std::string &)> &write)
{
    constexpr size_t kStretch = size_t{1} << 20;
    std::optional<TraceRecord> first;
    RecordWalk walk = WalkRecords(reader, [&](const TraceRecord &r) {
        first = r;
        return false;
    });
    if (!walk.ok)
        return walk;
    std::string text = CsvHeader(first ? &*first : nullptr);
    text.reserve(kStretch + 64 * 1024);
    walk = WalkRecords(reader, [&](const TraceRecord &r) {
        AppendRow(text, IsoTimeText(r.time), r, dbu);
        if (text.size() < kStretch)
            return true;
        const bool written = write(text);
        text.clear();
        return written;
    });
    if (walk.ok && !walk.stopped && !write(text))
        walk.stopped = true;
    return walk;
}

}  // namespace tavrin
