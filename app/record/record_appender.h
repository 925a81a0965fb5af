// One writer appending to a record file a whole record at a time: tavrin-cli's sweep and the
// program's continuous recording alike, so that the one lock keeps any two of them from writing
// over each other's records.
#pragma once

#include "record/record_file.h"

#include <cstdint>
#include <string>

namespace tavrin {

class RecordAppender {
public:
    enum class Mode {
        Append,   // add to the records of the file, made when missing
        Replace,  // the user agreed to replace the file: it starts empty
    };
    enum class Opened {
        Ok,
        NotRecords,  // the file is no record file: nothing was written to it
        Busy,        // another writer has it
        Failed,
    };

    RecordAppender() = default;
    ~RecordAppender();
    RecordAppender(const RecordAppender &) = delete;
    RecordAppender &operator=(const RecordAppender &) = delete;

    // Opens path (a regular file, never through a link) and locks it (flock, exclusive) for as
    // long as this appender lives. In Append mode a file that does not read as records is
    // refused untouched, and a record cut short at the end of a record file is cut off (Note()).
    Opened Open(const std::string &path, Mode mode);
    const std::string &Error() const { return error_; }
    // What the user should hear of: the torn record cut off. "" when there is nothing to say.
    const std::string &Note() const { return note_; }
    const std::string &Path() const { return path_; }
    int64_t Count() const { return count_; }
    bool IsOpen() const { return fd_ >= 0; }

    // Writes record number Count() + 1 and flushes it to the device before it returns, so a crash
    // or a power cut loses at most the record being written; a failed write is cut back off the
    // file. A file deleted or replaced meanwhile is an error, not a place to write. "" or the reason.
    std::string Append(const TraceRecord &record);

private:
    Opened Fail(Opened how, const std::string &why);
    Opened TakeRecords();

    int fd_ = -1;
    std::string path_;
    std::string error_;
    std::string note_;
    int64_t count_ = 0;
};

}  // namespace tavrin
