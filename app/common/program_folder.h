// The program's folder: where the operation file, the limit files and the captures live.
#pragma once

#include <string>
#include <string_view>

namespace tavrin {

// The override when one is set; otherwise the folder of the executable when the user may write
// there and it is not a system folder such as /usr/bin; otherwise UserDataFolder(). Never ends with '/' (except the root itself).
std::string ProgramFolder();

// $XDG_DATA_HOME/TavrinRemote (~/.local/share/TavrinRemote when XDG_DATA_HOME is unset or not
// absolute), created when missing: the program's folder when the executable's is not writable.
std::string UserDataFolder();

// The program's folder + "/Working": limit files, the default capture folder.
std::string WorkingFolder();

// Used by the command line and by tests; an empty folder removes the override.
void SetProgramFolderOverride(std::string folder);

// The folder holding the running executable; empty when it cannot be told.
std::string ExecutableFolder();

// folder + '/' + name, without doubling a '/' at the end of folder; an empty folder gives name.
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace tavrin
