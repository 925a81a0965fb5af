// A record file read a record at a time: any length in flat memory, records by index (playback)
// or in order (a conversion), with the judgement whether the file is a record file at all.
#pragma once

#include "record/record_file.h"

#include <cstdint>
#include <functional>
#include <sys/types.h>
#include <string>
#include <vector>

namespace tavrin {

enum class RecordFileKind {
    Failed,      // it could not be opened or read; Error() says why
    Empty,       // 0 bytes: a record file that holds no records
    Records,
    NotRecords,  // shorter than one record, or its first and last records are nothing the analyzer gives
};

class RecordReader {
public:
    RecordReader() = default;
    ~RecordReader();
    RecordReader(const RecordReader &) = delete;
    RecordReader &operator=(const RecordReader &) = delete;

    // Opens a regular file (anything else is refused without waiting on it) and judges it.
    RecordFileKind Open(const std::string &path);
    RecordFileKind Kind() const { return kind_; }
    // Why the file is refused or a read failed, for the user ("" when nothing went wrong).
    const std::string &Error() const { return error_; }

    // Records of the file by its length: a trailing part of more than half a record counts as
    // one more, exactly half rounds to the even count.
    int64_t Count() const { return count_; }
    // Bytes after the last whole record (a write cut short); 0 in a whole file.
    uint64_t TornBytes() const { return length_ % kRecordBytes; }
    uint64_t Length() const { return length_; }
    // The file's identity, to tell whether another name leads to the same file.
    dev_t Device() const { return device_; }
    ino_t Inode() const { return inode_; }

    // Record index (from 0) into record; bytes a short last record lacks read as 0. Reads a stretch
    // of records ahead, so reading in order costs one read per stretch. False after a read error
    // (Error()) or beyond Count().
    bool Read(int64_t index, TraceRecord &record);

private:
    bool Fill(int64_t first);

    int fd_ = -1;
    std::string path_;
    RecordFileKind kind_ = RecordFileKind::Failed;
    std::string error_;
    uint64_t length_ = 0;
    int64_t count_ = 0;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    std::vector<uint8_t> stretch_;
    int64_t stretchFirst_ = 0;
    int64_t stretchCount_ = 0;
};

// What a record file holds for a reader: the records up to its first empty entry (a centre of
// exactly 0, which ends the record), without those the analyzer cannot have given.
struct RecordWalk {
    int64_t taken = 0;
    int64_t impossible = 0;
    bool ok = true;       // false: a read failed, the reader's Error() says why
    bool stopped = false;  // take returned false
};
RecordWalk WalkRecords(RecordReader &reader, const std::function<bool(const TraceRecord &)> &take);

}  // namespace tavrin
