#include "record/record_appender.h"

#include "common/safe_file.h"
#include "record/record_reader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin {

RecordAppender::~RecordAppender()
{
    if (fd_ >= 0)
        close(fd_);  // also drops the lock
}

RecordAppender::Opened RecordAppender::Fail(Opened how, const std::string &why)
{
    error_ = why;
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    return how;
}

RecordAppender::Opened RecordAppender::Open(const std::string &path, Mode mode)
{
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    path_ = path;
    note_.clear();
    // Not through a link: the question whether to replace or append was about this name. Looked
    // at first, so that a FIFO or a device is never opened.
    struct stat st {};
    const bool made = lstat(path.c_str(), &st) != 0;
    if (made && errno != ENOENT)
        return Fail(Opened::Failed, ErrnoText(path, errno));
    if (!made && !S_ISREG(st.st_mode))
        return Fail(Opened::Failed, path + " is not a plain file");
    fd_ = open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | (made ? O_CREAT | O_EXCL : 0), 0666);
    if (fd_ < 0)
        return Fail(Opened::Failed, ErrnoText(path, errno));
    if (made)
        SyncFolderOf(path);
    if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))
        return Fail(Opened::Failed, path + " is not a plain file");
    if (flock(fd_, LOCK_EX | LOCK_NB) != 0)
        return Fail(Opened::Busy, path + " is being written by another recording (a sweep of tavrin-cli, or "
                                         "TavrinRemote's continuous recording)");
    if (mode == Mode::Replace) {
        count_ = 0;
        if (ftruncate(fd_, 0) != 0 || fsync(fd_) != 0)
            return Fail(Opened::Failed, ErrnoText(path, errno));
        return Opened::Ok;
    }
    return TakeRecords();
}

RecordAppender::Opened RecordAppender::TakeRecords()
{
    RecordReader reader;
    const RecordFileKind kind = reader.Open(path_);
    struct stat st {};
    if (kind == RecordFileKind::Failed)
        return Fail(Opened::Failed, reader.Error());
    if (fstat(fd_, &st) != 0 || st.st_dev != reader.Device() || st.st_ino != reader.Inode())
        return Fail(Opened::Failed, path_ + " was replaced by another file while it was opened");
    if (kind == RecordFileKind::NotRecords)
        return Fail(Opened::NotRecords, reader.Error());
    count_ = static_cast<int64_t>(reader.Length() / kRecordBytes);
    if (const uint64_t torn = reader.TornBytes()) {
        // A write cut short (a crash, a full disk, a kill) in a file that is otherwise records.
        if (ftruncate(fd_, static_cast<off_t>(count_) * static_cast<off_t>(kRecordBytes)) != 0 || fsync(fd_) != 0)
            return Fail(Opened::Failed, ErrnoText(path_, errno));
        note_ = "the last " + std::to_string(torn) + " bytes of " + path_ +
                " were a record cut short (a write that was interrupted); they were cut off";
    }
    return Opened::Ok;
}

std::string RecordAppender::Append(const TraceRecord &record)
{
    if (fd_ < 0)
        return path_ + " is not open for recording";
    struct stat mine {}, named {};
    if (fstat(fd_, &mine) != 0)
        return ErrnoText(path_, errno);
    if (mine.st_nlink == 0 || stat(path_.c_str(), &named) != 0)
        return path_ + " was deleted while it was being written";
    if (named.st_dev != mine.st_dev || named.st_ino != mine.st_ino)
        return path_ + " was replaced by another file while it was being written";
    const off_t offset = static_cast<off_t>(count_) * static_cast<off_t>(kRecordBytes);
    const RecordBytes bytes = EncodeRecord(record);
    int error = 0;
    for (size_t done = 0; done < bytes.size() && !error;) {
        const ssize_t n = pwrite(fd_, bytes.data() + done, bytes.size() - done, offset + static_cast<off_t>(done));
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n == 0 || errno != EINTR)
            error = n == 0 ? EIO : errno;
    }
    if (!error && fsync(fd_) != 0)
        error = errno;
    if (error) {
        if (ftruncate(fd_, offset) == 0)
            fsync(fd_);
        return ErrnoText(path_, error);
    }
    ++count_;
    return {};
}

}  // namespace tavrin
