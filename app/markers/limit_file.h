// Limit files: "<name>.lim" in the Working folder, 16-byte records of two little-endian doubles
// (frequency in MHz, level in dBm). The program only reads them.
#pragma once

#include "markers/limit_lines.h"

#include <string>
#include <vector>

namespace tavrin {

// Names of the limit files in a folder, without ".lim", sorted; none when the folder is missing.
std::vector<std::string> ListLimitNames(const std::string &folder);

struct LimitFileResult {
    bool ok = false;
    std::vector<LimitPoint> points;
    std::string error;    // why nothing was loaded, for the user
    int skipped = 0;      // records holding NaN or an infinity
    int tailBytes = 0;    // bytes after the last whole record, ignored
};

// Reads every whole record in file order; records that are not finite numbers are skipped. Fails
// (with a reason) when the file cannot be read or holds no usable record.
LimitFileResult ReadLimitFile(const std::string &path);

}  // namespace tavrin
