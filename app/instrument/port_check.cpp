#include "instrument/port_check.h"

#include "port_map.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tavrin {

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

}  // namespace tavrin
