// Where the COM port names "COM1".."COM4" point on this machine.
#pragma once

#include <string>

namespace tavrin {

// $XDG_CONFIG_HOME/tavrin/ports, or $HOME/.config/tavrin/ports; empty when neither is set.
std::string PortsFolder();

// The device to open for COMn: the ports folder's entry COMn when it exists (even as a dangling
// link, which then fails to open instead of falling back), otherwise /dev/ttyS<n-1>.
std::string ResolvePortPath(int port);

}  // namespace tavrin
