#include "server.h"

#include "port_map.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace tavrin::sim {

namespace {

constexpr double kByteSeconds = 10.0 / 57600.0;  // start, 8 data and stop bit

bool MakeFolders(const std::string &path)
{
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') {
            std::string part = path.substr(0, i);
            if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
                return false;
        }
    }
    return true;
}

std::string LinkTarget(const std::string &link)
{
    char buf[PATH_MAX];
    ssize_t n = readlink(link.c_str(), buf, sizeof buf - 1);
    if (n < 0)
        return {};
    buf[n] = '\0';
    return buf;
}

}  // namespace

double NowSeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

Server::Server(const Options &options) : options_(options), startTime_(NowSeconds()), engine_(options, startTime_) {}

Server::~Server() { Shutdown(); }

bool Server::Start(std::string &error)
{
    if (options_.appearAfter <= 0) {
        if (!OpenLine(error))
            return false;
        appeared_ = true;
    } else if (!PortsFolder().empty()) {
        // A link left behind (a simulator that was killed) would make the name exist too early.
        unlink((PortsFolder() + "/COM" + std::to_string(options_.port)).c_str());
    }
    if (!options_.logPath.empty()) {
        log_ = std::fopen(options_.logPath.c_str(), "a");
        if (!log_) {
            error = "cannot open the log " + options_.logPath + ": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

bool Server::OpenLine(std::string &error)
{
    if (!OpenPseudoTerminal(pty_, error))
        return false;
    int flags = fcntl(pty_.master, F_GETFL);
    fcntl(pty_.master, F_SETFL, flags | O_NONBLOCK);

    const std::string folder = PortsFolder();
    if (folder.empty()) {
        error = "neither XDG_CONFIG_HOME nor HOME is set: no ports folder";
        return false;
    }
    if (!MakeFolders(folder)) {
        error = "cannot create " + folder + ": " + std::strerror(errno);
        return false;
    }
    linkPath_ = folder + "/COM" + std::to_string(options_.port);
    const std::string temp = linkPath_ + ".new" + std::to_string(getpid());
    unlink(temp.c_str());
    if (symlink(pty_.slavePath.c_str(), temp.c_str()) != 0 || rename(temp.c_str(), linkPath_.c_str()) != 0) {
        error = "cannot register " + linkPath_ + ": " + std::strerror(errno);
        unlink(temp.c_str());
        linkPath_.clear();
        return false;
    }
    return true;
}

void Server::CloseLine()
{
    if (!linkPath_.empty() && LinkTarget(linkPath_) == pty_.slavePath)
        unlink(linkPath_.c_str());
    linkPath_.clear();
    ClosePseudoTerminal(pty_);
}

void Server::Shutdown()
{
    CloseLine();
    if (log_)
        std::fclose(log_);
    log_ = nullptr;
}

bool Server::AppearWhenDue(double now, std::string &error)
{
    if (appeared_ || now < startTime_ + options_.appearAfter)
        return true;
    if (!OpenLine(error))
        return false;
    appeared_ = true;
    std::printf("tavrin-sim: registered COM%d -> %s (%s)\n", options_.port, pty_.slavePath.c_str(), linkPath_.c_str());
    std::fflush(stdout);
    return true;
}

int Server::HangupAt() const
{
    if (options_.disconnectAfter > 0)
        return options_.disconnectAfter;
    return returned_ ? 0 : options_.hangupAfter;
}

bool Server::HangUpAndReturn(const std::atomic<bool> &stop, std::string &error)
{
    std::printf("tavrin-sim: line hung up after %d trace blocks\n", engine_.BlocksSent());
    std::fflush(stdout);
    CloseLine();
    queue_.clear();
    lineIdle_ = true;
    const double back = NowSeconds() + options_.returnAfter;
    while (!stop.load() && NowSeconds() < back)
        poll(nullptr, 0, 5);
    if (stop.load())
        return true;
    if (!OpenLine(error))
        return false;
    returned_ = true;
    std::printf("tavrin-sim: registered COM%d again -> %s\n", options_.port, pty_.slavePath.c_str());
    std::fflush(stdout);
    return true;
}

void Server::Log(const uint8_t *bytes, size_t n, double now)
{
    if (!log_)
        return;
    std::fprintf(log_, "%.6f RX", now);
    for (size_t i = 0; i < n; ++i)
        std::fprintf(log_, " %02X", bytes[i]);
    std::fputc('\n', log_);
    std::fflush(log_);
}

void Server::SendDue(double now)
{
    if (queue_.empty())
        return;
    size_t n = queue_.size();
    if (options_.pace) {
        if (lineIdle_) {
            lineFree_ = now;  // an idle line: the first byte is on the wire from now
            lineIdle_ = false;
        }
        n = 0;
        while (n < queue_.size() && lineFree_ + kByteSeconds <= now) {
            lineFree_ += kByteSeconds;
            ++n;
        }
        if (n == 0)
            return;
    }
    ssize_t w = write(pty_.master, queue_.data(), n);
    if (w > 0) {
        lastSend_ = now;
        queue_.erase(queue_.begin(), queue_.begin() + w);
        if (options_.pace && static_cast<size_t>(w) < n)
            lineFree_ -= static_cast<double>(n - static_cast<size_t>(w)) * kByteSeconds;
    } else if (options_.pace) {
        lineFree_ -= static_cast<double>(n) * kByteSeconds;  // the host is not reading: try later
    }
    if (queue_.empty())
        lineIdle_ = true;
}

bool Server::Run(const std::atomic<bool> &stop, std::string &error)
{
    uint8_t buf[512];
    while (!stop.load()) {
        double now = NowSeconds();
        if (!AppearWhenDue(now, error))
            return false;
        if (!appeared_) {
            poll(nullptr, 0, 5);
            continue;
        }
        engine_.Tick(now, queue_);
        SendDue(now);
        // Hang up only once the last block has had time to reach the host.
        const int hangupAt = HangupAt();
        if (hangupAt > 0 && engine_.BlocksSent() >= hangupAt && queue_.empty() && now - lastSend_ > 0.3) {
            if (options_.disconnectAfter > 0) {
                disconnected_ = true;
                break;
            }
            if (!HangUpAndReturn(stop, error))
                return false;
            continue;
        }
        int timeoutMs = 20;
        if (!queue_.empty())
            timeoutMs = options_.pace ? 1 : 5;
        pollfd p{pty_.master, POLLIN, 0};
        int r = poll(&p, 1, timeoutMs);
        if (r < 0 && errno != EINTR)
            break;
        if (r > 0 && (p.revents & POLLIN)) {
            ssize_t n = read(pty_.master, buf, sizeof buf);
            if (n > 0) {
                now = NowSeconds();
                Log(buf, static_cast<size_t>(n), now);
                // Past the last block before hanging up, the instrument answers nothing more.
                const bool hangingUp = hangupAt > 0 && engine_.BlocksSent() >= hangupAt;
                for (ssize_t i = 0; i < n && !hangingUp; ++i)
                    engine_.Receive(buf[i], now, queue_);
                SendDue(now);
            }
        }
    }
    if (disconnected_)
        Shutdown();
    return true;
}

}  // namespace tavrin::sim
