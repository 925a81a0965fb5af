// tavrin-sim run as its own process, registered in the current XDG_CONFIG_HOME.
#pragma once

#include "support/test_util.h"

#include <string>
#include <vector>

namespace tavrin::test {

class SimProcess {
public:
    SimProcess() = default;
    ~SimProcess() { Stop(); }
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    // Starts tavrin-sim with the arguments and waits until its COMn link appears.
    bool Start(int port, const std::vector<std::string> &args, std::string &error);
    // SIGTERM and wait; returns the exit status (-1 when it was not running).
    int Stop();
    // True once the process has ended by itself.
    bool Exited();
    int Pid() const { return pid_; }

private:
    int pid_ = -1;
    int status_ = -1;
};

// The bytes a tavrin-sim --log file recorded, in order.
Bytes LoggedBytes(const std::string &logPath);
// The same as commands: "F0150500" (centre frame), "S12", "L3", "R1" (setting frames by index),
// "T" (trace request), "j", text commands without their line ends; "?" for a frame that is not
// exactly what SettingFrame builds, "?N" for any other byte N.
std::vector<std::string> LoggedCommands(const std::string &logPath);

}  // namespace tavrin::test
