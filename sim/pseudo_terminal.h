// A raw pseudo-terminal: the instrument's end (master) and a kept-open slave so that the line
// stays up while no host has it open.
#pragma once

#include <string>

namespace tavrin::sim {

struct PseudoTerminal {
    int master = -1;
    int slaveKeep = -1;
    std::string slavePath;  // what a host opens, e.g. /dev/pts/3
};

// Opens one, raw both ways at 57600 baud; false with a message in error.
bool OpenPseudoTerminal(PseudoTerminal &pty, std::string &error);
void ClosePseudoTerminal(PseudoTerminal &pty);

}  // namespace tavrin::sim
