// Limit files: "<name>.lim" in the Working folder, 16-byte records of two little-endian doubles
// (frequency in MHz, level in dBm), no header.
#pragma once

#include "common/job_control.h"
#include "limits/limit_lines.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tavrin {

// A limit file is a list of points along a mask, some hundreds as a rule. A million (16 MB) are
// still read in a moment and drawn at the screen's resolution; a longer file is refused, with its
// length and this bound in the reason.
inline constexpr uint64_t kMaxLimitPoints = 1u << 20;

// Names of the limit files in a folder, without ".lim", sorted: the bytes the file system holds,
// whatever their encoding. None when the folder is missing.
std::vector<std::string> ListLimitNames(const std::string &folder);

struct LimitFileResult {
    bool ok = false;
    bool cancelled = false;
    std::vector<LimitPoint> points;
    std::string error;    // why nothing was loaded, for the user
    int skipped = 0;      // records holding NaN or an infinity
    int tailBytes = 0;    // bytes after the last whole record, ignored
};

// Reads every whole record in file order; records that are not finite numbers are skipped. Fails
// (with a reason) when the file cannot be read, is no regular file (never waited on), is longer
// than kMaxLimitPoints or holds no usable record. With a control, the progress is counted in bytes.
LimitFileResult ReadLimitFile(const std::string &path, JobControl *control = nullptr);

// The file's bytes for the points, in order.
std::string LimitFileBytes(const std::vector<LimitPoint> &points);
// Writes the points as the limit file at path, replacing it whole or not at all. On failure
// returns false with the reason in error.
bool WriteLimitFile(const std::string &path, const std::vector<LimitPoint> &points, std::string &error);

}  // namespace tavrin
