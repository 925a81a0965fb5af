#include "pty_peer.h"

#include <memory>
#include <poll.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tavrin::test {

PtyPeer::PtyPeer() : responder_([](uint8_t b, const Bytes &) { return Bytes{b}; })
{
    std::string error;
    if (!sim::OpenPseudoTerminal(pty_, error))
        throw std::runtime_error(error);
    thread_ = std::thread([this] { Serve(); });
}

PtyPeer::Responder PtyPeer::Traces(std::vector<Bytes> blocks)
{
    auto next = std::make_shared<size_t>(0);
    return [blocks, next](uint8_t b, const Bytes &) -> Bytes {
        return b == 0xA5 ? blocks[std::min((*next)++, blocks.size() - 1)] : Bytes{b};
    };
}

void PtyPeer::Send(const Bytes &bytes)
{
    std::lock_guard lock(mutex_);
    if (pty_.master >= 0 && !bytes.empty())
        (void)!write(pty_.master, bytes.data(), bytes.size());
}

void PtyPeer::Preload(const Bytes &bytes)
{
    Send(bytes);
    int queued = 0;
    for (int i = 0; i < 2000 && ioctl(pty_.slaveKeep, FIONREAD, &queued) == 0 && queued < int(bytes.size()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

bool PtyPeer::WaitReceived(size_t n, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (Received().size() < n && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return Received().size() >= n;
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
        if (poll(&p, 1, 5) <= 0 || !(p.revents & POLLIN))
            continue;
        const ssize_t n = read(pty_.master, buf, sizeof buf);
        std::lock_guard lock(mutex_);
        for (ssize_t i = 0; i < n; ++i) {
            received_.push_back(buf[i]);
            const Bytes reply = responder_(buf[i], received_);
            pollfd more{pty_.master, POLLIN, 0};
            if (i + 1 < n || poll(&more, 1, 0) > 0)
                ++early_;
            if (!reply.empty())
                (void)!write(pty_.master, reply.data(), reply.size());
        }
    }
}

}  // namespace tavrin::test
