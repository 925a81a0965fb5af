// Whether another program holds a COM port, tested the way our own library takes a port: by
// its exclusive lock.
#pragma once

namespace tavrin {

bool PortInUse(int port);

}  // namespace tavrin
