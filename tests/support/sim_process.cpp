#include "sim_process.h"

#include "port_map.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
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

std::string LoggedHex(const std::string &path)
{
    std::string text, hex;
    if (FILE *f = std::fopen(path.c_str(), "r")) {
        char buf[4096];
        while (std::fgets(buf, sizeof buf, f))
            text += buf;
        std::fclose(f);
    }
    for (size_t p = text.find("RX"); p != std::string::npos; p = text.find("RX", p + 1))
        hex += text.substr(p + 2, text.find('\n', p) - p - 2);
    return hex;
}

std::vector<std::string> LoggedCommands(const std::string &path)
{
    std::vector<uint8_t> bytes;
    const std::string hex = LoggedHex(path);
    for (size_t i = 0; i + 2 < hex.size() + 1; i += 3)
        bytes.push_back(static_cast<uint8_t>(std::strtoul(hex.substr(i + 1, 2).c_str(), nullptr, 16)));
    std::vector<std::string> out;
    for (size_t i = 0; i < bytes.size();) {
        const uint8_t b = bytes[i];
        if (b == 0x55 && i + 9 <= bytes.size()) {
            const char letter = static_cast<char>(bytes[i + 1]);
            if (letter == 'F')
                out.push_back("F" + std::string(bytes.begin() + static_cast<long>(i) + 2, bytes.begin() + static_cast<long>(i) + 9));
            else
                out.push_back(std::string(1, letter) + std::to_string(static_cast<int>(bytes[i + 2]) - 1));
            i += 9;
        } else if (b == 0xA5) {
            out.push_back("T");
            ++i;
        } else if (b == 'j') {
            out.push_back("j");
            ++i;
        } else if (b >= 'A' && b <= 'Z') {
            std::string text;
            while (i < bytes.size() && bytes[i] != '\r')
                text += static_cast<char>(bytes[i++]);
            ++i;
            if (!text.empty() && text.back() == '\n')
                text.pop_back();
            out.push_back(text);
        } else {
            out.push_back("?" + std::to_string(b));
            ++i;
        }
    }
    return out;
}

}  // namespace tavrin::test
