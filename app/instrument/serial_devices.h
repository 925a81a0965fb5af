// The serial devices present, named the way a person recognises them, for choosing the one a COM
// port leads to.
#pragma once

#include <string>
#include <vector>

namespace tavrin {

struct SerialDeviceChoice {
    std::string path;   // what a COM link should point at: the stable /dev/serial/by-id name if any
    std::string label;  // the path, then maker, product and serial number when known
};

// USB adapters and built-in ports found by the system, the stable names under /dev/serial/by-id,
// and the pseudo-terminals the ports folder holds (the simulator's lines).
std::vector<SerialDeviceChoice> ListSerialDevices();

// Which of the devices COM<port> leads to now (through links, by-id names alike); devices.size()
// when it leads to none of them.
size_t DeviceOfPort(int port, const std::vector<SerialDeviceChoice> &devices);

}  // namespace tavrin
