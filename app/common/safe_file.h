// Files read and written safely: a file chosen for reading is never waited on, and a file
// written never stays half-written after a crash, a kill or a full disk.
#pragma once

#include "common/job_control.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tavrin {

// "what: reason" for an errno value.
std::string ErrnoText(const std::string &what, int error);
// Writes all of data to fd; false (errno set) when it could not.
bool WriteAll(int fd, const uint8_t *data, size_t size);
// Makes a rename or a new file in path's folder durable.
void SyncFolderOf(const std::string &path);

// Opens a file for reading without ever waiting on it: a FIFO, a device, a socket or a folder is
// refused, and a device is not even opened. Returns the descriptor, or -1 with the reason in
// error ("<path> is a FIFO (named pipe), not a file", or the system's reason) and errno set (0
// for a refusal).
int OpenForReading(const std::string &path, std::string &error);

enum class WholeFile { Read, Failed, TooLong, Cancelled };

// Reads a file whole, opened as OpenForReading opens it, with its progress counted in bytes. A
// file longer than maxBytes is not read (TooLong, its length in size). A file that shrinks
// meanwhile gives what is there. Failed: the reason in error.
WholeFile ReadWholeFile(const std::string &path, uint64_t maxBytes, std::vector<unsigned char> &bytes,
                        std::string &error, uint64_t &size, JobControl *control = nullptr);

// Appends text to the file at path, which is made with heading first when it is missing or empty,
// and flushes it to the disk before returning: a crash or a power cut loses nothing appended. Only
// a regular file is written, never waited on. Written whole or not at all: a failed or short write
// (a full disk) is cut back off the file, and a file that ends within a line gets a line end
// before text. On failure returns false with the reason in error.
bool AppendDurably(const std::string &path, const std::string &heading, const std::string &text, std::string &error);

// Replaces path with what is written to it: a new temporary file with a short name in the same
// folder (so any legal name can be replaced), created exclusively (never through a link someone
// planted), flushed, given the old file's permissions and renamed over path by Commit(). Until
// then the old file stays whole; a replacement that is not committed leaves no file behind.
class FileReplacement {
public:
    explicit FileReplacement(std::string path);
    ~FileReplacement();
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;

    // Each returns false on a failure, with the reason in Error(); the temporary file is gone then.
    bool Open();
    bool Write(const void *data, size_t size);
    bool Commit();
    const std::string &Error() const { return error_; }

private:
    bool Fail(const std::string &what);

    std::string path_;
    std::string tempPath_;
    int fd_ = -1;
    std::string error_;
};

// The same for data at hand. On failure returns false and, when error is given, the reason.
bool ReplaceFileDurably(const std::string &path, const uint8_t *data, size_t size, std::string *error = nullptr);

}  // namespace tavrin
