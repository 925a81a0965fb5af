#include "limits/limit_file.h"

#include "common/safe_file.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <filesystem>

namespace tavrin {

namespace {

constexpr size_t kRecordSize = 16;
constexpr uint64_t kMaxLimitFileBytes = kMaxLimitPoints * kRecordSize;

double LittleEndianDouble(const unsigned char *bytes)
{
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | bytes[i];
    return std::bit_cast<double>(bits);
}

// The whole records of the bytes in order, leaving out those that are not finite numbers.
void Decode(const unsigned char *bytes, size_t size, LimitFileResult &r)
{
    const size_t records = size / kRecordSize;
    r.tailBytes = static_cast<int>(size % kRecordSize);
    r.points.reserve(records);
    for (size_t i = 0; i < records; ++i) {
        const double f = LittleEndianDouble(&bytes[i * kRecordSize]);
        const double l = LittleEndianDouble(&bytes[i * kRecordSize + 8]);
        if (!std::isfinite(f) || !std::isfinite(l)) {
            ++r.skipped;
            continue;
        }
        r.points.push_back({f, l});
    }
}

}  // namespace

std::string LimitFileBytes(const std::vector<LimitPoint> &points)
{
    std::string bytes;
    bytes.reserve(points.size() * kRecordSize);
    for (const LimitPoint &p : points)
        for (double v : {p.freqMHz, p.levelDbm})
            for (int i = 0; i < 8; ++i)
                bytes += static_cast<char>(std::bit_cast<uint64_t>(v) >> (8 * i));
    return bytes;
}

bool WriteLimitFile(const std::string &path, const std::vector<LimitPoint> &points, std::string &error)
{
    const std::string bytes = LimitFileBytes(points);
    return ReplaceFileDurably(path, reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size(), &error);
}

std::vector<std::string> ListLimitNames(const std::string &folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string file = it->path().filename().string();
        if (file.size() > 4 && file.compare(file.size() - 4, 4, ".lim") == 0 && !it->is_directory(ec))
            names.push_back(file.substr(0, file.size() - 4));
    }
    std::sort(names.begin(), names.end());
    return names;
}

LimitFileResult ReadLimitFile(const std::string &path, JobControl *control)
{
    LimitFileResult r;
    std::vector<unsigned char> bytes;
    std::string why;
    uint64_t size = 0;
    switch (ReadWholeFile(path, kMaxLimitFileBytes, bytes, why, size, control)) {
    case WholeFile::Failed:
        r.error = "The limit file cannot be read: " + why + ".";
        return r;
    case WholeFile::TooLong:
        r.error = "The limit file " + path + " holds " + std::to_string(size / kRecordSize) +
                  " points; limit files of more than " + std::to_string(kMaxLimitPoints) +
                  " points (16 MB) are not loaded.";
        return r;
    case WholeFile::Cancelled:
        r.cancelled = true;
        return r;
    case WholeFile::Read:
        break;
    }
    Decode(bytes.data(), bytes.size(), r);
    if (r.points.empty()) {
        r.error = "The limit file " + path + " holds no limit points.";
        return r;
    }
    r.ok = true;
    return r;
}

}  // namespace tavrin
