#include "common/safe_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

// A new file beside path, created exclusively with the usual permissions (the umask applies).
int CreateTemporary(const std::string &path, std::string &tempPath)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
        int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

void Fail(std::string *error, const std::string &text)
{
    if (error)
        *error = text;
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

bool ReplaceFileDurably(const std::string &path, const uint8_t *data, size_t size, std::string *error)
{
    std::string tempPath;
    int fd = CreateTemporary(path, tempPath);
    if (fd < 0) {
        Fail(error, ErrnoText("create " + tempPath, errno));
        return false;
    }
    auto abandon = [&](const std::string &what) {
        int saved = errno;
        if (fd >= 0)
            close(fd);
        unlink(tempPath.c_str());
        Fail(error, ErrnoText(what, saved));
        return false;
    };
    // Keep the permissions a user gave the old file.
    struct stat old {};
    if (stat(path.c_str(), &old) == 0 && fchmod(fd, old.st_mode & 07777) != 0)
        return abandon("chmod " + tempPath);
    if (!WriteAll(fd, data, size))
        return abandon("write " + tempPath);
    if (fsync(fd) != 0)
        return abandon("fsync " + tempPath);
    int closed = close(fd);
    fd = -1;
    if (closed != 0)
        return abandon("close " + tempPath);
    if (rename(tempPath.c_str(), path.c_str()) != 0)
        return abandon("rename " + tempPath + " to " + path);
    // Make the rename itself durable; the new file is already in place, so a failure here is moot.
    SyncFolderOf(path);
    return true;
}

}  // namespace tavrin
