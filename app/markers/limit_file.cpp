#include "markers/limit_file.h"

#include "common/safe_file.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

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
    std::string why;
    const int fd = OpenForReading(path, why);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0) {
        r.error = "The limit file cannot be read: " + (fd < 0 ? why : ErrnoText(path, errno)) + ".";
        if (fd >= 0)
            close(fd);
        return r;
    }
    const auto size = static_cast<uint64_t>(info.st_size);
    if (size > kMaxLimitFileBytes) {
        close(fd);
        r.error = "The limit file " + path + " holds " + std::to_string(size / kRecordSize) +
                  " points; limit files of more than " + std::to_string(kMaxLimitPoints) +
                  " points (16 MB) are not loaded.";
        return r;
    }
    if (control)
        control->SetTotal(static_cast<int64_t>(size));
    std::vector<unsigned char> bytes(static_cast<size_t>(size));
    size_t got = 0;
    while (got < bytes.size()) {
        if (control && control->Cancelled())
            break;
        const ssize_t n = read(fd, bytes.data() + got, std::min<size_t>(bytes.size() - got, 1 << 20));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            r.error = "The limit file cannot be read: " + ErrnoText(path, errno) + ".";
            close(fd);
            return r;
        }
        if (n == 0)
            break;  // shortened meanwhile: what is there
        got += static_cast<size_t>(n);
        if (control)
            control->SetDone(static_cast<int64_t>(got));
    }
    close(fd);
    if (control && control->Cancelled()) {
        r.cancelled = true;
        return r;
    }
    Decode(bytes.data(), got, r);
    if (r.points.empty()) {
        r.error = "The limit file " + path + " holds no limit points.";
        return r;
    }
    r.ok = true;
    return r;
}

}  // namespace tavrin
