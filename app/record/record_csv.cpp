#include "record/record_csv.h"

#include "common/date_format.h"
#include "common/number_format.h"
#include "common/text_number.h"
#include "measure/measurement_state.h"

#include <cstdio>

namespace tavrin {

namespace {

// A field is quoted when it holds a separator, a quote or a line end (captions from a damaged
// file can).
std::string Field(const std::string &text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + "\"";
}

std::string IsoTime(double recordTime)
{
    const std::tm t = LocalTime(FromRecordTime(recordTime));
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}

// Point 251 is the centre, 50 points a division; unlike the screen's conversion, point 499 gets
// its frequency too.
double PointMHz(const TraceRecord &entry, int point)
{
    return entry.centerFreqMHz + (point - kCenterPoint) * MHzPerDivision(FieldText(entry.spanCaption)) /
                                     kPointsPerDivision;
}

double PointLevel(const TraceRecord &entry, int point, bool dbu)
{
    const int32_t stepsBelowTop = kTopLevelValue - static_cast<int32_t>(entry.points[static_cast<size_t>(point)]);
    return entry.refLevelDbm - stepsBelowTop * kDbPerStepRead + (dbu ? 107.0 : 0.0);
}

}  // namespace

std::string RecordCsv(const RecordTable &table, bool dbu)
{
    std::string csv = "time,center_mhz,span,ref_level_dbm,rbw";
    const bool any = !table.empty() && table.front().Filled();
    for (int i = 0; any && i < kTracePoints; ++i)
        csv += "," + PlainDecimal(PointMHz(table.front(), i));
    csv += "\r\n";
    for (const TraceRecord &entry : table) {
        if (!entry.Filled())
            break;
        csv += CsvRow(IsoTime(entry.time), entry, dbu);
    }
    return csv;
}

std::string CsvRow(std::string_view first, const TraceRecord &entry, bool dbu)
{
    std::string row = std::string(first) + "," + PlainDecimal(entry.centerFreqMHz) + "," +
                      Field(TrimSpaces(PrintableText(FieldText(entry.spanCaption)))) + "," +
                      std::to_string(entry.refLevelDbm) + "," + Field(TrimSpaces(PrintableText(FieldText(entry.rbwCaption))));
    for (int i = 0; i < kTracePoints; ++i)
        row += "," + PlainDecimal(PointLevel(entry, i, dbu));
    return row + "\r\n";
}

std::string CsvHoldRows(const std::vector<CsvHold> &holds, bool dbu)
{
    std::string rows;
    for (const CsvHold &hold : holds) {
        if (!hold.points)
            continue;
        TraceRecord entry;
        entry.centerFreqMHz = hold.settings.centerMHz;
        entry.spanCaption = FixedText<12>(hold.settings.spanCaption);
        entry.refLevelDbm = hold.settings.refLevelDbm;
        entry.rbwCaption = FixedText<8>(hold.settings.rbwCaption);
        entry.points = *hold.points;
        rows += CsvRow(hold.name, entry, dbu);
    }
    return rows;
}

}  // namespace tavrin
