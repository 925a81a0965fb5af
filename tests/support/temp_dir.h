// A private temporary folder used as XDG_CONFIG_HOME, so tests never touch the user's ports.
#pragma once

#include <string>

namespace tavrin::test {

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
    void UnlinkPort(int port) const;

private:
    std::string path_;
    std::string previous_;
    bool hadPrevious_ = false;
};

void RemoveTree(const std::string &path);

}  // namespace tavrin::test
