// The named setups of a folder (Working/setups of the program's folder): one file per setup,
// "<name>.ini", so a user can copy one to a colleague. The setup's name is its file's name; names a
// file cannot carry, or that would be hidden or leave the folder, are refused with the reason.
#pragma once

#include "settings/setup_file.h"

#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

// Working/setups in the program's folder.
std::string SetupsFolder();

// The name as typed, without the spaces around it and a ".ini" at its end.
std::string CleanSetupName(std::string_view typed);
// Why a (cleaned) name cannot name a setup; empty when it can.
std::string SetupNameProblem(const std::string &name);

std::string SetupPath(const std::string &folder, const std::string &name);

// The setups of the folder, sorted; none when it is missing.
std::vector<std::string> ListSetups(const std::string &folder);
bool SetupExists(const std::string &folder, const std::string &name);

// Each returns false with the reason in error, for the user. Saving replaces a setup of that name
// whole or not at all (the folder is made when missing); renaming never replaces another setup.
bool SaveSetup(const std::string &folder, const std::string &name, const Setup &setup, std::string &error);
bool RenameSetup(const std::string &folder, const std::string &from, const std::string &to, std::string &error);
bool DeleteSetup(const std::string &folder, const std::string &name, std::string &error);

// The setup's fields that could be read, and the others named with the reason (see ParseSetup);
// nothing at all, with the reason in error, when the file cannot be read.
SetupRecall RecallSetup(const std::string &folder, const std::string &name);

}  // namespace tavrin
