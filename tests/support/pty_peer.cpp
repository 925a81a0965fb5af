#include "pty_peer.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace tavrin::test {

Bytes ToBytes(const std::string &text) { return Bytes(text.begin(), text.end()); }

PtyPeer::PtyPeer() : responder_(Echo())
{
    std::string error;
    if (!sim::OpenPseudoTerminal(pty_, error))
        throw std::runtime_error(error);
    thread_ = std::thread([this] { Serve(); });
}

PtyPeer::~PtyPeer()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    sim::ClosePseudoTerminal(pty_);
}

PtyPeer::Responder PtyPeer::Echo()
{
    return [](uint8_t b, const Bytes &) { return Bytes{b}; };
}

PtyPeer::Responder PtyPeer::Silent()
{
    return [](uint8_t, const Bytes &) { return Bytes{}; };
}

void PtyPeer::SetResponder(Responder responder)
{
    std::lock_guard lock(mutex_);
    responder_ = std::move(responder);
}

void PtyPeer::Send(const Bytes &bytes)
{
    std::lock_guard lock(mutex_);
    if (pty_.master >= 0 && !bytes.empty())
        (void)!write(pty_.master, bytes.data(), bytes.size());
}

Bytes PtyPeer::Received()
{
    std::lock_guard lock(mutex_);
    return received_;
}

void PtyPeer::ClearReceived()
{
    std::lock_guard lock(mutex_);
    received_.clear();
}

bool PtyPeer::WaitReceived(size_t n, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (Received().size() >= n)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

void PtyPeer::Hangup()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    std::lock_guard lock(mutex_);
    sim::ClosePseudoTerminal(pty_);
}

void PtyPeer::Serve()
{
    uint8_t buf[256];
    while (!stop_) {
        pollfd p{pty_.master, POLLIN, 0};
        int r = poll(&p, 1, 5);
        if (r <= 0 || !(p.revents & POLLIN))
            continue;
        ssize_t n = read(pty_.master, buf, sizeof buf);
        if (n <= 0)
            continue;
        std::lock_guard lock(mutex_);
        for (ssize_t i = 0; i < n; ++i) {
            received_.push_back(buf[i]);
            Bytes reply = responder_(buf[i], received_);
            if (!reply.empty())
                (void)!write(pty_.master, reply.data(), reply.size());
        }
    }
}

}  // namespace tavrin::test
