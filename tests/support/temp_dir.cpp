#include "temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace tavrin::test {

namespace {

std::string MakeTempFolder()
{
    std::string pattern = std::filesystem::temp_directory_path().string() + "/tavrin-test-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    return pattern;
}

}  // namespace

ScopedEnv::ScopedEnv(std::string name, const char *value) : name_(std::move(name))
{
    if (const char *old = std::getenv(name_.c_str())) {
        previous_ = old;
        hadPrevious_ = true;
    }
    if (value)
        setenv(name_.c_str(), value, 1);
    else
        unsetenv(name_.c_str());
}

ScopedEnv::~ScopedEnv()
{
    if (hadPrevious_)
        setenv(name_.c_str(), previous_.c_str(), 1);
    else
        unsetenv(name_.c_str());
}

TempConfigHome::TempConfigHome() : path_(MakeTempFolder()), env_("XDG_CONFIG_HOME", path_.c_str())
{
    std::filesystem::create_directories(PortsFolder());
}

TempConfigHome::~TempConfigHome() { RemoveTree(path_); }

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
