// The command set in parts, each with its handlers in its own file; command_set.cpp joins them.
#pragma once

#include "remote/command_table.h"

#include <vector>

namespace tavrin::remote {

std::vector<Command> CommonCommands();     // IEEE 488.2 common commands, SYSTem
std::vector<Command> MeasureCommands();    // SENSe settings, INITiate, ABORt, AVERage
std::vector<Command> DataCommands();       // TRACe, FORMat, UNIT
std::vector<Command> MarkerCommands();     // CALCulate:MARKer, CALCulate:LIMit
std::vector<Command> GeneratorCommands();  // INSTrument, OUTPut, SOURce

// The measurement settings are locked while the tracking generator is on, as on the panel: -221.
bool SettingsLocked(Call &call);

}  // namespace tavrin::remote
