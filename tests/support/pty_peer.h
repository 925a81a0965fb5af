// A scripted instrument on a pseudo-terminal: records every byte the host sends and answers
// through a responder, so tests see the exact bytes on the line.
#pragma once

#include "pseudo_terminal.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tavrin::test {

using Bytes = std::vector<uint8_t>;

Bytes ToBytes(const std::string &text);

class PtyPeer {
public:
    // What to send back for one received byte; `so_far` holds everything received, this byte last.
    using Responder = std::function<Bytes(uint8_t byte, const Bytes &so_far)>;

    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer &) = delete;
    PtyPeer &operator=(const PtyPeer &) = delete;

    const std::string &DevicePath() const { return pty_.slavePath; }
    void SetResponder(Responder responder);
    void Send(const Bytes &bytes);
    Bytes Received();
    void ClearReceived();
    // Waits until at least n bytes were received; false on time-out.
    bool WaitReceived(size_t n, std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));
    // The instrument goes away: the line hangs up for the host.
    void Hangup();
    // A descriptor of the line as the host sees it (for reading its settings).
    int KeptSlave() const { return pty_.slaveKeep; }

    static Responder Echo();
    static Responder Silent();

private:
    void Serve();

    sim::PseudoTerminal pty_;
    std::mutex mutex_;
    Bytes received_;
    Responder responder_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace tavrin::test
