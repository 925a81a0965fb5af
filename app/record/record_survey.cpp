#include "record/record_survey.h"

#include "common/date_format.h"
#include "common/rounding.h"
#include "measure/measurement_state.h"
#include "record/record_csv.h"


namespace tavrin {

namespace {

// Far beyond any analyzer, yet every frequency of the line stays an exact whole number in a double.
constexpr double kHighestCentreMHz = 1e6;

size_t FilledCount(const RecordTable &table)
{
    size_t n = 0;
    while (n < table.size() && table[n].Filled())
        ++n;
    return n;
}

// "2025-01-01, 12:00:00": rtl_power's date and time, two fields, local time.
std::string SurveyTime(double recordTime)
{
    std::string iso = CsvTime(recordTime);
    const size_t t = iso.find('T');
    return t == std::string::npos ? iso : iso.replace(t, 1, ", ");
}

}  // namespace

std::optional<SurveyAxis> SurveyAxisOf(const TraceRecord &entry)
{
    const std::string span = FieldText(entry.spanCaption);
    const double perDivisionMHz = MHzPerDivision(span);
    if (IsZeroSpan(span) || !(perDivisionMHz > 0) || !(entry.centerFreqMHz > 0) ||
        !(entry.centerFreqMHz <= kHighestCentreMHz) || perDivisionMHz > kHighestCentreMHz)
        return std::nullopt;
    const auto step = static_cast<int64_t>(RoundHalfEven(perDivisionMHz * 1e6 / kPointsPerDivision));
    const auto centre = static_cast<int64_t>(RoundHalfEven(entry.centerFreqMHz * 1e6));
    if (step <= 0)
        return std::nullopt;
    return SurveyAxis{centre - kCenterPoint * step, step};
}

std::string SurveyCsvLine(const TraceRecord &entry)
{
    const std::optional<SurveyAxis> axis = SurveyAxisOf(entry);
    if (!axis)
        return {};
    std::string line = SurveyTime(entry.time);
    line += ", " + std::to_string(axis->lowHz) + ", " + std::to_string(axis->lowHz + kTracePoints * axis->stepHz) +
            ", " + std::to_string(axis->stepHz) + ".00, 1";
    AppendLevels(line, entry, false, ", ");
    line += '\n';
    return line;
}

std::string SurveyCsv(const RecordTable &table, int64_t &leftOut)
{
    leftOut = 0;
    std::string csv;
    for (size_t i = 0, n = FilledCount(table); i < n; ++i) {
        const std::string line = SurveyCsvLine(table[i]);
        leftOut += line.empty();
        csv += line;
    }
    return csv;
}

RecordFileResult WriteSurveyCsv(const std::string &path, const RecordTable &table, int64_t &leftOut,
                                JobControl *control)
{
    leftOut = 0;
    const size_t count = FilledCount(table);
    return WriteInStretches(path, count, size_t{1} << 20,
                            [&](size_t i, std::string &out) {
                                if (i == count)
                                    return;
                                const std::string line = SurveyCsvLine(table[i]);
                                leftOut += line.empty();
                                out += line;
                            },
                            control);
}

}  // namespace tavrin
