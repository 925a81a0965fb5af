#include "temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace tavrin::test {

TempConfigHome::TempConfigHome()
{
    std::string pattern = std::filesystem::temp_directory_path().string() + "/tavrin-test-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    if (const char *old = std::getenv("XDG_CONFIG_HOME")) {
        previous_ = old;
        hadPrevious_ = true;
    }
    setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
    std::filesystem::create_directories(PortsFolder());
}

TempConfigHome::~TempConfigHome()
{
    if (hadPrevious_)
        setenv("XDG_CONFIG_HOME", previous_.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    RemoveTree(path_);
}

void TempConfigHome::LinkPort(int port, const std::string &target) const
{
    UnlinkPort(port);
    std::filesystem::create_symlink(target, PortsFolder() + "/COM" + std::to_string(port));
}

void TempConfigHome::UnlinkPort(int port) const
{
    std::error_code ec;
    std::filesystem::remove(PortsFolder() + "/COM" + std::to_string(port), ec);
}

void RemoveTree(const std::string &path)
{
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}

}  // namespace tavrin::test
