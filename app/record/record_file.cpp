#include "record/record_file.h"

#include "common/date_format.h"
#include "common/rounding.h"
#include "common/safe_file.h"
#include "common/text_number.h"
#include "measure/measurement_state.h"
#include "record/record_reader.h"

#include <algorithm>
#include <functional>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin {

namespace {

// Field offsets of a record.
constexpr size_t kTimeAt = 0;
constexpr size_t kCenterAt = 8;
constexpr size_t kSpanAt = 16;
constexpr size_t kRefLevelAt = 28;
constexpr size_t kRbwAt = 30;
constexpr size_t kPointsAt = 38;

// Days 30 Dec 1899 - 1 Jan 100 and 30 Dec 1899 - 31 Dec 9999 (the last day's end excluded).
constexpr double kFirstDay = -657434;
constexpr double kLastDay = 2958465.999988426;

void PutLE(uint8_t *at, uint64_t value, size_t bytes)
{
    for (size_t i = 0; i < bytes; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t GetLE(const uint8_t *at, size_t bytes)
{
    uint64_t value = 0;
    for (size_t i = 0; i < bytes; ++i)
        value |= static_cast<uint64_t>(at[i]) << (8 * i);
    return value;
}

void PutDouble(uint8_t *at, double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    PutLE(at, bits, 8);
}

double GetDouble(const uint8_t *at)
{
    uint64_t bits = GetLE(at, 8);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Days since 1 Jan 1970 of a civil date, and back (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t &y, int64_t &m, int64_t &d)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp + (mp < 10 ? 3 : -9);
    y = yoe + era * 400 + (m <= 2);
}

const int64_t kDay0 = DaysFromCivil(1899, 12, 30);

}  // namespace

RecordBytes EncodeRecord(const TraceRecord &record)
{
    RecordBytes bytes{};
    PutDouble(&bytes[kTimeAt], record.time);
    PutDouble(&bytes[kCenterAt], record.centerFreqMHz);
    std::memcpy(&bytes[kSpanAt], record.spanCaption.data(), record.spanCaption.size());
    PutLE(&bytes[kRefLevelAt], static_cast<uint16_t>(record.refLevelDbm), 2);
    std::memcpy(&bytes[kRbwAt], record.rbwCaption.data(), record.rbwCaption.size());
    for (size_t i = 0; i < record.points.size(); ++i)
        PutLE(&bytes[kPointsAt + 2 * i], static_cast<uint16_t>(record.points[i]), 2);
    return bytes;
}

TraceRecord DecodeRecord(const uint8_t *bytes)
{
    TraceRecord record;
    record.time = GetDouble(bytes + kTimeAt);
    record.centerFreqMHz = GetDouble(bytes + kCenterAt);
    std::memcpy(record.spanCaption.data(), bytes + kSpanAt, record.spanCaption.size());
    record.refLevelDbm = static_cast<int16_t>(GetLE(bytes + kRefLevelAt, 2));
    std::memcpy(record.rbwCaption.data(), bytes + kRbwAt, record.rbwCaption.size());
    for (size_t i = 0; i < record.points.size(); ++i)
        record.points[i] = static_cast<int16_t>(GetLE(bytes + kPointsAt + 2 * i, 2));
    return record;
}

std::string PrintableText(const std::string &text)
{
    std::string shown = text;
    for (char &c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0)
            c = ' ';
        else if (byte < 0x20 || byte == 0x7F)
            c = '?';
    }
    return shown;
}

TraceRecord MakeRecord(std::time_t time, const AnalyzerSettings &settings, const TracePoints &points)
{
    TraceRecord r;
    r.time = ToRecordTime(time);
    r.centerFreqMHz = settings.centerMHz;
    r.spanCaption = FixedText<12>(settings.span);
    r.refLevelDbm = settings.refLevelDbm;
    r.rbwCaption = FixedText<8>(settings.rbw);
    r.points = points;
    return r;
}

AnalyzerSettings RecordSettings(const TraceRecord &r)
{
    return {r.centerFreqMHz, TrimSpaces(PrintableText(FieldText(r.spanCaption))), r.refLevelDbm,
            TrimSpaces(PrintableText(FieldText(r.rbwCaption)))};
}

double ToRecordTime(std::time_t time)
{
    const std::tm t = LocalTime(time);
    const int64_t days = DaysFromCivil(t.tm_year + 1900LL, t.tm_mon + 1LL, t.tm_mday) - kDay0;
    return static_cast<double>(days) + (t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec) / 86400.0;
}

std::time_t FromRecordTime(double days)
{
    if (std::isnan(days))
        days = 0;
    days = std::fmin(std::fmax(days, kFirstDay), kLastDay);
    // Before day 0 the day counts back while its fraction still counts forward from midnight.
    double whole = std::trunc(days);
    int64_t seconds = RoundHalfEvenToInt32(std::fabs(days - whole) * 86400.0);
    int64_t day = static_cast<int64_t>(whole);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++day;
    }
    int64_t y, m, d;
    CivilFromDays(day + kDay0, y, m, d);
    std::tm t{};
    t.tm_year = static_cast<int>(y - 1900);
    t.tm_mon = static_cast<int>(m - 1);
    t.tm_mday = static_cast<int>(d);
    t.tm_hour = static_cast<int>(seconds / 3600);
    t.tm_min = static_cast<int>(seconds / 60 % 60);
    t.tm_sec = static_cast<int>(seconds % 60);
    t.tm_isdst = -1;
    return std::mktime(&t);
}

int64_t RecordCountForLength(uint64_t bytes)
{
    const uint64_t whole = bytes / kRecordBytes;
    const uint64_t rest = bytes % kRecordBytes;
    const bool more = 2 * rest > kRecordBytes || (2 * rest == kRecordBytes && whole % 2 == 1);
    return static_cast<int64_t>(whole + (more ? 1 : 0));
}

std::optional<int32_t> TimerPeriodMs(double intervalSeconds)
{
    const double ms = RoundHalfEven(intervalSeconds * 1000.0);
    if (!(ms >= 1 && ms <= INT_MAX))
        return std::nullopt;
    return static_cast<int32_t>(ms);
}

std::optional<int32_t> TimedEntryCount(double minutes, double intervalSeconds)
{
    if (!TimerPeriodMs(intervalSeconds))
        return std::nullopt;
    const double n = RoundHalfEven(minutes * 60.0 / intervalSeconds);
    if (!(n >= 0 && n + 1 <= INT16_MAX))
        return std::nullopt;
    return static_cast<int32_t>(n) + 1;
}

RecordFileResult LoadRecordFile(const std::string &path, RecordTable &table, JobControl *control)
{
    RecordFileResult result;
    RecordReader reader;
    if (reader.Open(path) == RecordFileKind::Failed) {
        result.error = reader.Error();
        return result;
    }
    if (reader.Count() > kMaxLoadedRecords) {
        result.error = path + " holds " + std::to_string(reader.Count()) + " records; the program plays at most " +
                       std::to_string(kMaxLoadedRecords) +
                       " (about 1 GB) from memory. tavrin-cli convert turns a record file of any length into CSV "
                       "or JSON lines";
        return result;
    }
    RecordTable loaded(static_cast<size_t>(reader.Count()));
    if (control)
        control->SetTotal(reader.Count());
    for (size_t i = 0; i < loaded.size(); ++i) {
        if (control && i % 64 == 0) {
            if (control->Cancelled()) {
                result.cancelled = true;
                result.error = "cancelled";
                return result;
            }
            control->SetDone(static_cast<int64_t>(i));
        }
        if (!reader.Read(static_cast<int64_t>(i), loaded[i])) {
            result.error = reader.Error();
            return result;
        }
    }
    if (control)
        control->SetDone(reader.Count());
    result.ok = true;
    result.records = static_cast<int64_t>(loaded.size());
    if (!loaded.empty())
        table = std::move(loaded);
    return result;
}

bool PossibleRecord(const TraceRecord &record)
{
    auto inTable = [](const auto &captions, const std::string &field) {
        const std::string text = TrimSpaces(field);
        return text.empty() || std::any_of(captions.begin(), captions.end(), [&](std::string_view caption) {
                   return std::equal(text.begin(), text.end(), caption.begin(), caption.end(),
                                     [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; });
               });
    };
    return std::isfinite(record.time) && record.centerFreqMHz > kWindowMinMHz &&
           record.centerFreqMHz <= kWindowMaxMHz && inTable(kSpanCaptions, FieldText(record.spanCaption)) &&
           inTable(kRbwCaptions, FieldText(record.rbwCaption)) &&
           std::find(kRefLevelsDbm.begin(), kRefLevelsDbm.end(), record.refLevelDbm) != kRefLevelsDbm.end() &&
           std::all_of(record.points.begin(), record.points.end(),
                       [](int16_t point) { return point >= 0 && point <= kTopLevelValue; });
}

int64_t RemoveImpossibleRecords(RecordTable &table)
{
    // A centre of exactly 0 is what an empty entry holds: the end of the record. Any other value
    // that is not above 0 (negative, NaN) is no end the program writes, but damage.
    table.erase(std::find_if(table.begin(), table.end(), [](const TraceRecord &r) { return r.centerFreqMHz == 0; }),
                table.end());
    const size_t before = table.size();
    table.erase(std::remove_if(table.begin(), table.end(), [](const TraceRecord &r) { return !PossibleRecord(r); }),
                table.end());
    return static_cast<int64_t>(before - table.size());
}

RecordFileResult WriteInStretches(const std::string &path, size_t count, size_t stretchBytes,
                                  const std::function<void(size_t, std::string &)> &append, JobControl *control)
{
    RecordFileResult result;
    if (control)
        control->SetTotal(static_cast<int64_t>(count));
    FileReplacement file(path);
    if (!file.Open()) {
        result.error = file.Error();
        return result;
    }
    std::string text;
    text.reserve(stretchBytes + 64 * 1024);
    // Item count is the tail; it comes with the last stretch.
    for (size_t i = 0; i <= count; ++i) {
        append(i, text);
        if (text.size() < stretchBytes && i < count)
            continue;
        if (control && control->Cancelled()) {
            result.cancelled = true;
            return result;
        }
        if (!file.Write(text.data(), text.size())) {
            result.error = file.Error();
            return result;
        }
        text.clear();
        if (control)
            control->SetDone(static_cast<int64_t>(std::min(i + 1, count)));
    }
    if (!file.Commit()) {
        result.error = file.Error();
        return result;
    }
    result.ok = true;
    result.records = static_cast<int64_t>(count);
    return result;
}

RecordFileResult SaveRecordFile(const std::string &path, const RecordTable &table, JobControl *control)
{
    const auto end = std::find_if(table.begin(), table.end(), [](const TraceRecord &r) { return !r.Filled(); });
    return WriteInStretches(path, static_cast<size_t>(end - table.begin()), 256 * kRecordBytes,
                            [&](size_t i, std::string &out) {
                                if (i == static_cast<size_t>(end - table.begin()))
                                    return;
                                const RecordBytes record = EncodeRecord(table[i]);
                                out.append(reinterpret_cast<const char *>(record.data()), record.size());
                            },
                            control);
}

}  // namespace tavrin
