#include "common/program_folder.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>
#include <utility>

namespace tavrin {

namespace {

// The one piece of mutable global state in the conventions: set once from the command line.
std::string &FolderOverride()
{
    static std::string folder;
    return folder;
}

std::string WithoutTrailingSlash(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

std::string HomeFolder()
{
    const char *home = std::getenv("HOME");
    if (home && *home)
        return home;
    const passwd *entry = getpwuid(getuid());
    return entry && entry->pw_dir ? entry->pw_dir : "";
}

// A folder of the system's programs is no place for one user's settings, even when root may
// write there (an installed program run as root).
bool SystemProgramFolder(const std::string &folder)
{
    for (const char *system : {"/usr/bin", "/usr/local/bin", "/bin", "/usr/sbin", "/sbin", "/usr/games"})
        if (folder == system)
            return true;
    return false;
}

}  // namespace

std::string ExecutableFolder()
{
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    return exe.parent_path().string();
}

std::string UserDataFolder()
{
    const char *xdg = std::getenv("XDG_DATA_HOME");
    std::string base = xdg && xdg[0] == '/' ? std::string(xdg) : JoinPath(HomeFolder(), ".local/share");
    std::string folder = JoinPath(base, "TavrinRemote");
    std::error_code error;
    std::filesystem::create_directories(folder, error);  // a failure shows when a file is written
    return folder;
}

std::string ProgramFolder()
{
    if (!FolderOverride().empty())
        return FolderOverride();
    std::string exeFolder = ExecutableFolder();
    if (!exeFolder.empty() && !SystemProgramFolder(exeFolder) && access(exeFolder.c_str(), W_OK | X_OK) == 0)
        return exeFolder;
    return UserDataFolder();
}

void SetProgramFolderOverride(std::string folder) { FolderOverride() = WithoutTrailingSlash(std::move(folder)); }

std::string JoinPath(std::string_view folder, std::string_view name)
{
    std::string path(folder);
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += name;
    return path;
}

std::string WorkingFolder() { return JoinPath(ProgramFolder(), "Working"); }

}  // namespace tavrin
