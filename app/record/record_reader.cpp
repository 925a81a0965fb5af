#include "record/record_reader.h"

#include "common/safe_file.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin {

namespace {

// Records read ahead at once: 68 KB, whatever the file's length.
constexpr int64_t kStretchRecords = 64;

// Reads what there is of count bytes at offset into at; the rest stays as it was. -1 on error.
ssize_t ReadAt(int fd, uint8_t *at, size_t count, uint64_t offset)
{
    size_t got = 0;
    while (got < count) {
        const ssize_t n = pread(fd, at + got, count - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

// A first record of nothing but zeros is an empty entry: the record ends before it.
bool AllZero(const TraceRecord &r)
{
    const RecordBytes bytes = EncodeRecord(r);
    return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
}

}  // namespace

RecordReader::~RecordReader()
{
    if (fd_ >= 0)
        close(fd_);
}

RecordFileKind RecordReader::Open(const std::string &path)
{
    if (fd_ >= 0)
        close(fd_);
    stretchCount_ = 0;
    path_ = path;
    fd_ = OpenForReading(path, error_);
    struct stat info {};
    if (fd_ < 0 || fstat(fd_, &info) != 0) {
        if (fd_ >= 0)
            error_ = ErrnoText(path, errno);
        return kind_ = RecordFileKind::Failed;
    }
    length_ = static_cast<uint64_t>(info.st_size);
    device_ = info.st_dev;
    inode_ = info.st_ino;
    count_ = RecordCountForLength(length_);
    if (length_ == 0)
        return kind_ = RecordFileKind::Empty;
    if (length_ < kRecordBytes) {
        error_ = path + " is " + std::to_string(length_) + " bytes long, less than one record (" +
                 std::to_string(kRecordBytes) + " bytes): it is not a record file";
        return kind_ = RecordFileKind::NotRecords;
    }
    // Damage inside a recording is passed over by its readers; a file of which neither end reads
    // as a record is something else (a CSV file, a picture).
    kind_ = RecordFileKind::Records;
    TraceRecord first, last;
    if (!Read(0, first) || !Read(static_cast<int64_t>(length_ / kRecordBytes) - 1, last))
        return kind_ = RecordFileKind::Failed;
    if (!PossibleRecord(first) && !PossibleRecord(last) && !AllZero(first)) {
        error_ = path + " is not a record file: neither its first nor its last " + std::to_string(kRecordBytes) +
                 " bytes hold a trace the analyzer could have given";
        kind_ = RecordFileKind::NotRecords;
    }
    return kind_;
}

bool RecordReader::Fill(int64_t first)
{
    const int64_t count = std::min(kStretchRecords, count_ - first);
    stretch_.assign(static_cast<size_t>(count) * kRecordBytes, 0);
    stretchCount_ = 0;
    if (ReadAt(fd_, stretch_.data(), stretch_.size(), static_cast<uint64_t>(first) * kRecordBytes) < 0) {
        error_ = ErrnoText(path_, errno);
        return false;
    }
    stretchFirst_ = first;
    stretchCount_ = count;
    return true;
}

bool RecordReader::Read(int64_t index, TraceRecord &record)
{
    if (fd_ < 0 || index < 0 || index >= count_)
        return false;
    if ((index < stretchFirst_ || index >= stretchFirst_ + stretchCount_) && !Fill(index))
        return false;
    record = DecodeRecord(&stretch_[static_cast<size_t>(index - stretchFirst_) * kRecordBytes]);
    return true;
}

RecordWalk WalkRecords(RecordReader &reader, const std::function<bool(const TraceRecord &)> &take)
{
    RecordWalk walk;
    if (reader.Kind() != RecordFileKind::Records)
        return walk;
    TraceRecord record;
    for (int64_t i = 0; i < reader.Count(); ++i) {
        if (!reader.Read(i, record)) {
            walk.ok = false;
            return walk;
        }
        if (record.centerFreqMHz == 0)
            break;
        if (!PossibleRecord(record)) {
            ++walk.impossible;
            continue;
        }
        ++walk.taken;
        if (!take(record)) {
            walk.stopped = true;
            break;
        }
    }
    return walk;
}

}  // namespace tavrin
