// tavrin-sim run as its own process, registered in the current XDG_CONFIG_HOME.
#pragma once

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

}  // namespace tavrin::test
