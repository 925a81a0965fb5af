#include "instrument/port_check.h"

#include "port_map.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin {

namespace {

bool SameFile(const struct stat &a, const struct stat &b)
{
    if (S_ISCHR(a.st_mode) && S_ISCHR(b.st_mode))
        return a.st_rdev == b.st_rdev;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether one of this process's own descriptors is open on the file.
bool OpenHere(const struct stat &device)
{
    DIR *fds = opendir("/proc/self/fd");
    if (!fds)
        return false;
    bool found = false;
    const int self = dirfd(fds);
    while (const dirent *entry = readdir(fds)) {
        struct stat st;
        if (entry->d_name[0] == '.' || std::atoi(entry->d_name) == self)
            continue;
        if (fstatat(self, entry->d_name, &st, 0) == 0 && SameFile(st, device)) {
            found = true;
            break;
        }
    }
    closedir(fds);
    return found;
}

}  // namespace

bool PortInUse(int port)
{
    if (port < 1 || port > 4)
        return false;
    const std::string path = ResolvePortPath(port);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == EBUSY;  // held exclusively; a missing device is not "in use"
    const bool locked = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return locked;
}

bool PortHeldElsewhere(int port)
{
    if (port < 1 || port > 4)
        return false;
    struct stat device;
    if (stat(ResolvePortPath(port).c_str(), &device) != 0)
        return false;
    // Our own lock would look like another program's to the test.
    return !OpenHere(device) && PortInUse(port);
}

}  // namespace tavrin
