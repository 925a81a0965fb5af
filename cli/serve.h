// tavrin-cli serve: the analyzer under SCPI remote control on a TCP port, until Ctrl+C.
#pragma once

#include "cli/options.h"

#include <string>

namespace tavrin::cli {

int ServeCommand(const CommandLine &line);

// The SCPI command set, a line a command form, for serve --help.
std::string ServeCommandTable();

}  // namespace tavrin::cli
