#include "markers/limit_file.h"


#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tavrin {

namespace {

constexpr size_t kRecordSize = 16;
// A limit file is a short list of points; anything larger is not one.
constexpr std::uintmax_t kMaxFileSize = 16u * 1024 * 1024;

double LittleEndianDouble(const unsigned char *bytes)
{
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | bytes[i];
    return std::bit_cast<double>(bits);
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

LimitFileResult ReadLimitFile(const std::string &path)
{
    LimitFileResult r;
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) {
        r.error = "The limit file " + path + " cannot be read: " + ec.message() + ".";
        return r;
    }
    if (size > kMaxFileSize) {
        r.error = "The limit file " + path + " is too large to be a limit file.";
        return r;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        r.error = "The limit file " + path + " cannot be read: " + std::strerror(errno) + ".";
        return r;
    }
    const size_t records = bytes.size() / kRecordSize;
    r.tailBytes = static_cast<int>(bytes.size() % kRecordSize);
    for (size_t i = 0; i < records; ++i) {
        const double f = LittleEndianDouble(&bytes[i * kRecordSize]);
        const double l = LittleEndianDouble(&bytes[i * kRecordSize + 8]);
        if (!std::isfinite(f) || !std::isfinite(l)) {
            ++r.skipped;
            continue;
        }
        r.points.push_back({f, l});
    }
    if (r.points.empty()) {
        r.error = "The limit file " + path + " holds no limit points.";
        return r;
    }
    r.ok = true;
    return r;
}

}  // namespace tavrin
