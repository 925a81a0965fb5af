#include "record/record_view.h"

#include "common/rounding.h"

#include <algorithm>

namespace tavrin {

namespace {

std::string MinutesSeconds(long long seconds)
{
    seconds = std::max(0LL, seconds);
    const long long s = seconds % 60;
    return std::to_string(seconds / 60) + (s < 10 ? ":0" : ":") + std::to_string(s);
}

std::string BaseName(const std::string &path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string ProgressText(const RecordView &v, std::time_t now)
{
    const long long elapsed = now - v.startTime;
    if (v.continuous)
        return (v.recording ? "Recording to " : "Recorded to ") + BaseName(v.fileName) + ": " +
               std::to_string(v.fileRecords) + " records" + (v.recording ? ", " + MinutesSeconds(elapsed) : "");
    if (!v.recording)
        return "Recorded " + std::to_string(v.entries) + " traces";
    const long long total = RoundHalfEvenToInt32(v.seconds);
    return "Recording " + MinutesSeconds(elapsed) + " of " + MinutesSeconds(total) + ", " + std::to_string(v.entries) +
           " traces";
}

}  // namespace tavrin
