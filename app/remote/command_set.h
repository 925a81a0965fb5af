// The whole SCPI command set of the analyzer, and its table as text for --help.
#pragma once

#include "remote/command_table.h"

#include <string>

namespace tavrin::remote {

const CommandTable &ScpiCommands();

// One line per command form: pattern, parameters, what it does.
std::string CommandSetText();

}  // namespace tavrin::remote
