#include "common/safe_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin {

namespace {

std::string FolderOf(const std::string &path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string Refusal(const std::string &path, mode_t mode)
{
    const char *what = S_ISDIR(mode)                      ? "a folder"
                       : S_ISFIFO(mode)                   ? "a FIFO (named pipe)"
                       : S_ISCHR(mode) || S_ISBLK(mode)   ? "a device"
                       : S_ISSOCK(mode)                   ? "a socket"
                                                          : "no regular file";
    return path + " is " + what + ", not a file";
}

}  // namespace

std::string ErrnoText(const std::string &what, int error) { return what + ": " + std::strerror(error); }

bool WriteAll(int fd, const uint8_t *data, size_t size)
{
    while (size > 0) {
        ssize_t written = write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0) {
            errno = EIO;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

void SyncFolderOf(const std::string &path)
{
    const int folder = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
}

int OpenForReading(const std::string &path, std::string &error)
{
    auto fail = [&](int code, const std::string &why) {
        error = why;
        errno = code;
        return -1;
    };
    // Looked at before it is opened: opening a device can do things of its own.
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return fail(errno, ErrnoText(path, errno));
    if (!S_ISREG(info.st_mode))
        return fail(0, Refusal(path, info.st_mode));
    // Without waiting, and looked at again: the name may have been given to a FIFO meanwhile.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return fail(errno, ErrnoText(path, errno));
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return fail(0, Refusal(path, info.st_mode));
    }
    return fd;
}

WholeFile ReadWholeFile(const std::string &path, uint64_t maxBytes, std::vector<unsigned char> &bytes,
                        std::string &error, uint64_t &size, JobControl *control)
{
    bytes.clear();
    const int fd = OpenForReading(path, error);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0) {
        if (fd >= 0) {
            error = ErrnoText(path, errno);
            close(fd);
        }
        return WholeFile::Failed;
    }
    size = static_cast<uint64_t>(info.st_size);
    if (size > maxBytes) {
        close(fd);
        return WholeFile::TooLong;
    }
    if (control)
        control->SetTotal(static_cast<int64_t>(size));
    bytes.resize(static_cast<size_t>(size));
    size_t got = 0;
    while (got < bytes.size()) {
        if (control && control->Cancelled()) {
            close(fd);
            bytes.clear();
            return WholeFile::Cancelled;
        }
        const ssize_t n = read(fd, bytes.data() + got, std::min<size_t>(bytes.size() - got, 1 << 20));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = ErrnoText(path, errno);
            close(fd);
            bytes.clear();
            return WholeFile::Failed;
        }
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
        if (control)
            control->SetDone(static_cast<int64_t>(got));
    }
    close(fd);
    bytes.resize(got);
    return WholeFile::Read;
}

bool AppendDurably(const std::string &path, const std::string &heading, const std::string &text, std::string &error)
{
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        error = Refusal(path, info.st_mode);
        return false;
    }
    const int fd = open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = ErrnoText(path, errno);
        return false;
    }
    if (fstat(fd, &info) == 0 && !S_ISREG(info.st_mode)) {
        close(fd);
        error = Refusal(path, info.st_mode);
        return false;
    }
    // Locked, so that the length seen here is where this row begins and the cut below takes off
    // this row only, never another writer's.
    bool ok = flock(fd, LOCK_EX) == 0 && fstat(fd, &info) == 0;
    const off_t before = info.st_size;
    char last = '\n';
    if (ok && before > 0 && pread(fd, &last, 1, before - 1) != 1)
        ok = false;
    // A row cut short by an older crash ends with a line end of its own: the new row is not glued
    // onto it. One write, so that a row is never split by another writer's.
    const std::string all = (before == 0 ? heading : last != '\n' ? "\n" : "") + text;
    ok = ok && WriteAll(fd, reinterpret_cast<const uint8_t *>(all.data()), all.size()) && fdatasync(fd) == 0;
    if (!ok) {
        error = ErrnoText(path, errno);
        // A row is written whole or not at all: what a full disk let through is cut back.
        if (ftruncate(fd, before) == 0)
            fdatasync(fd);
    }
    if (close(fd) != 0 && ok) {
        error = ErrnoText(path, errno);
        ok = false;
    }
    return ok;
}

FileReplacement::FileReplacement(std::string path) : path_(std::move(path)) {}

FileReplacement::~FileReplacement()
{
    if (fd_ >= 0)
        close(fd_);
    if (!tempPath_.empty())
        unlink(tempPath_.c_str());
}

bool FileReplacement::Fail(const std::string &what)
{
    error_ = ErrnoText(what, errno);
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    if (!tempPath_.empty())
        unlink(tempPath_.c_str());
    tempPath_.clear();
    return false;
}

bool FileReplacement::Open()
{
    // A short name of its own, not the name with something added: that could pass the 255 bytes a
    // name may have. Hidden, so that file dialogs do not offer it.
    const std::string folder = FolderOf(path_) + "/.TavrinRemote-" + std::to_string(getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = folder + std::to_string(attempt) + ".tmp";
        // The usual permissions (the umask applies) unless the old file has its own, below.
        fd_ = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            tempPath_ = candidate;
            break;
        }
        if (errno != EEXIST)
            return Fail("create " + candidate);
    }
    if (fd_ < 0) {
        errno = EEXIST;
        return Fail("create a temporary file in " + FolderOf(path_));
    }
    // Keep the permissions a user gave the old file.
    struct stat old {};
    if (stat(path_.c_str(), &old) == 0 && fchmod(fd_, old.st_mode & 07777) != 0)
        return Fail("chmod " + tempPath_);
    return true;
}

bool FileReplacement::Write(const void *data, size_t size)
{
    if (fd_ < 0) {
        errno = EBADF;
        return Fail("write " + path_);
    }
    return WriteAll(fd_, static_cast<const uint8_t *>(data), size) || Fail("write " + tempPath_);
}

bool FileReplacement::Commit()
{
    if (fd_ < 0) {
        errno = EBADF;
        return Fail("write " + path_);
    }
    if (fsync(fd_) != 0)
        return Fail("fsync " + tempPath_);
    const int closed = close(fd_);
    fd_ = -1;
    if (closed != 0)
        return Fail("close " + tempPath_);
    if (rename(tempPath_.c_str(), path_.c_str()) != 0)
        return Fail("rename " + tempPath_ + " to " + path_);
    tempPath_.clear();
    // Make the rename itself durable; the new file is already in place, so a failure here is moot.
    SyncFolderOf(path_);
    return true;
}

bool ReplaceFileDurably(const std::string &path, const uint8_t *data, size_t size, std::string *error)
{
    FileReplacement file(path);
    const bool ok = file.Open() && file.Write(data, size) && file.Commit();
    if (!ok && error)
        *error = file.Error();
    return ok;
}

}  // namespace tavrin
