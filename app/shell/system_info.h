// What the about box's "System" window tells: the system, the toolkit and the serial ports.
#pragma once

#include <string>
#include <vector>

namespace tavrin {

struct SerialDevice {
    std::string name;    // "ttyUSB0"
    std::string driver;  // "ftdi_sio"; empty when unknown
};

// The serial devices backed by hardware under a sysfs tty class folder (/sys/class/tty): entries
// with a device behind them, without the built-in UARTs that report no chip (type 0). By name.
std::vector<SerialDevice> SerialDevices(const std::string &sysClassTty);

// One line per COM port: the path it resolves to and whether it can be used.
std::vector<std::string> ComPortLines();

// The whole text of the System window.
std::string SystemReport();

}  // namespace tavrin
