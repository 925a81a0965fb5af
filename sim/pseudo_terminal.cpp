#include "pseudo_terminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace tavrin::sim {

bool OpenPseudoTerminal(PseudoTerminal &pty, std::string &error)
{
    pty.master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (pty.master < 0 || grantpt(pty.master) != 0 || unlockpt(pty.master) != 0) {
        error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    char name[128];
    if (ptsname_r(pty.master, name, sizeof name) != 0) {
        error = std::string("cannot name the pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    pty.slavePath = name;
    pty.slaveKeep = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (pty.slaveKeep < 0) {
        error = std::string("cannot open ") + name + ": " + std::strerror(errno);
        return false;
    }
    // Raw both ways, so the terminal layer neither echoes nor translates anything.
    termios tio{};
    tcgetattr(pty.slaveKeep, &tio);
    cfmakeraw(&tio);
    cfsetspeed(&tio, B57600);
    tcsetattr(pty.slaveKeep, TCSANOW, &tio);
    return true;
}

void ClosePseudoTerminal(PseudoTerminal &pty)
{
    if (pty.slaveKeep >= 0)
        close(pty.slaveKeep);
    if (pty.master >= 0)
        close(pty.master);
    pty.slaveKeep = pty.master = -1;
}

}  // namespace tavrin::sim
