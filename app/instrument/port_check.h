// Whether another program holds a COM port, tested the way our own library takes a port: by
// its exclusive lock.
#pragma once

namespace tavrin {

// True when the port is held, by any program including this one.
bool PortInUse(int port);

// True when another process holds the port. The port this process itself has open (through its
// library) does not count: selecting that port again is how the program reopens its line.
bool PortHeldElsewhere(int port);

}  // namespace tavrin
