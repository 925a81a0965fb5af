// The peak table and the named setups from the command line: peak with --count, --threshold or
// --excursion, info --setups, and set --setup. Each falls back to the plain command without them.
#pragma once

#include "cli/options.h"
#include "settings/setup_file.h"

namespace tavrin::cli {

int PeakOrTableCommand(const CommandLine &line);
int InfoOrSetupsCommand(const CommandLine &line);
int SetOrSetupCommand(const CommandLine &line);

// The set command line a setup stands for: its centre, span, reference level and (at zero span) RBW
// as options, where the line does not give them itself. Fields of those that could not be read are
// in unread.
CommandLine SetLineFromSetup(const CommandLine &line, const SetupRecall &recall);

}  // namespace tavrin::cli
