#include "sim_process.h"

#include "port_map.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <sstream>
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
    if (posix_spawn(&pid_, TAVRIN_SIM_PATH, nullptr, nullptr, argv.data(), environ) != 0)
        pid_ = -1;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (struct stat st; lstat(link.c_str(), &st) != 0; std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
        if (Exited() || std::chrono::steady_clock::now() > end) {
            error = "tavrin-sim did not register " + link;
            return false;
        }
    }
    return true;
}

bool SimProcess::Exited()
{
    if (pid_ >= 0 && waitpid(pid_, &status_, WNOHANG) == pid_)
        pid_ = -1;
    return pid_ < 0;
}

int SimProcess::Stop()
{
    if (pid_ >= 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, &status_, 0);
        pid_ = -1;
    }
    return status_;
}

Bytes LoggedBytes(const std::string &path)
{
    Bytes out;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);  // "<time> RX XX XX ..."
        std::string time, rx;
        fields >> time >> rx >> std::hex;
        for (unsigned byte; fields >> byte;)
            out.push_back(static_cast<uint8_t>(byte));
    }
    return out;
}

std::vector<std::string> LoggedCommands(const std::string &path)
{
    const Bytes b = LoggedBytes(path);
    std::vector<std::string> out;
    for (auto at = b.begin(); at != b.end();) {
        if (*at == 0x55 && b.end() - at >= 9) {
            const Bytes frame(at, at + 9);
            const char letter = static_cast<char>(frame[1]);
            if (letter == 'F')
                out.emplace_back(frame.begin() + 1, frame.end());
            else
                out.push_back(frame == SettingFrame(letter, frame[2]) ? letter + std::to_string(frame[2] - 1) : "?");
            at += 9;
        } else if (*at >= 'A' && *at <= 'Z') {
            const auto cr = std::find(at, b.end(), '\r');
            out.emplace_back(at, cr > at && cr[-1] == '\n' ? cr - 1 : cr);
            at = cr == b.end() ? cr : cr + 1;
        } else {
            out.push_back(*at == 0xA5 ? "T" : *at == 'j' ? "j" : "?" + std::to_string(*at));
            ++at;
        }
    }
    return out;
}

}  // namespace tavrin::test
