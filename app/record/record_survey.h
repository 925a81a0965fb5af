// Traces as the survey CSV that rtl_power writes and heat-map and survey tools read: no header, one
// line per trace, ", " between fields, LF line ends:
//   date, time, Hz low, Hz high, Hz step, samples, dBm, dBm, ... (500 levels)
// Point i lies at Hz low + i x step; Hz high is Hz low + 500 x step, the upper end of the last
// point's bin, as rtl_power counts its bins. A trace has no frequency axis at zero span (or with a
// span caption that names no width, or a centre no analyzer gives): such a trace has no line.
#pragma once

#include "common/job_control.h"
#include "record/record_file.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tavrin {

struct SurveyAxis {
    int64_t lowHz = 0;
    int64_t stepHz = 0;
};
// The frequency axis of an entry: point 251 at the centre, 50 points a division, each rounded to
// the hertz; nothing for a trace without one.
std::optional<SurveyAxis> SurveyAxisOf(const TraceRecord &entry);

// The line of an entry with its LF; "" for an entry without a frequency axis.
std::string SurveyCsvLine(const TraceRecord &entry);

// The lines of the entries up to the first empty one; leftOut is the number of traces without a
// frequency axis that were left out.
std::string SurveyCsv(const RecordTable &table, int64_t &leftOut);

// The same written to path a stretch at a time through a temporary file renamed over path once
// complete (as WriteRecordCsv does), for File > Export CSV; progress counted in entries.
RecordFileResult WriteSurveyCsv(const std::string &path, const RecordTable &table, int64_t &leftOut,
                                JobControl *control = nullptr);

}  // namespace tavrin
