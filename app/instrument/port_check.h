// Whether another program holds a COM port, tested the way our own library takes a port: by
// its exclusive lock; and whether the user may open the port at all.
#pragma once

#include <optional>
#include <string>

namespace tavrin {

// True when the port is held, by any program including this one.
bool PortInUse(int port);

// True when another process holds the port. The port this process itself has open (through its
// library) does not count: selecting that port again is how the program reopens its line.
bool PortHeldElsewhere(int port);

// When COMn resolves to a device that exists but this user may not read and write, a message
// that says so and how to get access (the dialout group); otherwise nothing.
std::optional<std::string> PortPermissionProblem(int port);

}  // namespace tavrin
