// A private temporary folder used as XDG_CONFIG_HOME, so tests never touch the user's ports.
#pragma once

#include <string>

namespace tavrin::test {

// Sets (or, with no value, removes) an environment variable for the life of the object and puts
// the old value back, so that no test leaves its TZ, HOME or XDG folders to the next one.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const char *value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    std::string name_;
    std::string previous_;
    bool hadPrevious_ = false;
};

class TempConfigHome {
public:
    TempConfigHome();
    ~TempConfigHome();
    TempConfigHome(const TempConfigHome &) = delete;
    TempConfigHome &operator=(const TempConfigHome &) = delete;

    const std::string &Path() const { return path_; }
    std::string PortsFolder() const { return path_ + "/tavrin/ports"; }
    // Registers COMn as a link to target (a dangling target makes the port fail to open).
    void LinkPort(int port, const std::string &target) const;

private:
    std::string path_;
    ScopedEnv env_;
};

}  // namespace tavrin::test
