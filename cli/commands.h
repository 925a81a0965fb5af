// The subcommands of tavrin-cli. Each returns its exit code; what went wrong is told on standard
// error before.
#pragma once

#include "cli/options.h"

namespace tavrin::cli {

int InfoCommand(const CommandLine &line);
int SetCommand(const CommandLine &line);
int PeakCommand(const CommandLine &line);
int TgCommand(const CommandLine &line);
int ConvertCommand(const CommandLine &line);
// In sweep.h: SweepCommand.

}  // namespace tavrin::cli
