#include "sim_process.h"

#include "port_map.h"

#include <chrono>
#include <csignal>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace tavrin::test {

bool SimProcess::Start(int port, const std::vector<std::string> &args, std::string &error)
{
    std::vector<std::string> all = {TAVRIN_SIM_PATH, "--port", std::to_string(port)};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (auto &a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string link = tavrin::PortsFolder() + "/COM" + std::to_string(port);
    unlink(link.c_str());
    if (posix_spawn(&pid_, TAVRIN_SIM_PATH, nullptr, nullptr, argv.data(), environ) != 0) {
        error = "cannot start " TAVRIN_SIM_PATH;
        pid_ = -1;
        return false;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    struct stat st;
    while (std::chrono::steady_clock::now() < end) {
        if (lstat(link.c_str(), &st) == 0)
            return true;
        if (Exited()) {
            error = "tavrin-sim exited at start";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    error = "tavrin-sim did not register " + link;
    return false;
}

bool SimProcess::Exited()
{
    if (pid_ < 0)
        return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = status;
        pid_ = -1;
        return true;
    }
    return false;
}

int SimProcess::Stop()
{
    if (pid_ >= 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        status_ = status;
        pid_ = -1;
    }
    return status_;
}

}  // namespace tavrin::test
