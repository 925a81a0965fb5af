// What the about box's "System" window tells: the system, the toolkit and the serial ports.
#pragma once

#include <string>
#include <vector>

namespace tavrin {

// One line per COM port: the path it resolves to and whether it can be used.
std::vector<std::string> ComPortLines();

// The whole text of the System window.
std::string SystemReport();

}  // namespace tavrin
