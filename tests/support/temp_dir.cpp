#include "temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace tavrin::test {

ScopedEnv::ScopedEnv(std::string name, const char *value) : name_(std::move(name))
{
    if (const char *old = std::getenv(name_.c_str())) {
        previous_ = old;
        hadPrevious_ = true;
    }
    value ? setenv(name_.c_str(), value, 1) : unsetenv(name_.c_str());
}

ScopedEnv::~ScopedEnv() { hadPrevious_ ? setenv(name_.c_str(), previous_.c_str(), 1) : unsetenv(name_.c_str()); }

static std::string MakeTempFolder()
{
    std::string pattern = fs::temp_directory_path().string() + "/tavrin-test-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    return pattern;
}

TempConfigHome::TempConfigHome() : path_(MakeTempFolder()), env_("XDG_CONFIG_HOME", path_.c_str())
{
    fs::create_directories(PortsFolder());
}

TempConfigHome::~TempConfigHome()
{
    std::error_code ec;
    fs::remove_all(path_, ec);
}

void TempConfigHome::LinkPort(int port, const std::string &target) const
{
    const std::string link = PortsFolder() + "/COM" + std::to_string(port);
    std::error_code ec;
    fs::remove(link, ec);
    fs::create_symlink(target, link);
}

}  // namespace tavrin::test
