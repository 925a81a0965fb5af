// A scripted instrument on a pseudo-terminal: records every byte the host sends and answers
// through a responder, so tests see the exact bytes on the line.
#pragma once

#include "pseudo_terminal.h"
#include "support/test_util.h"

#include <atomic>
#include <mutex>
#include <thread>

namespace tavrin::test {

class PtyPeer {
public:
    // What to send back for one received byte; `so_far` holds everything received, this byte last.
    using Responder = std::function<Bytes(uint8_t byte, const Bytes &so_far)>;

    PtyPeer();  // echoes every byte
    ~PtyPeer() { Hangup(); }
    PtyPeer(const PtyPeer &) = delete;
    PtyPeer &operator=(const PtyPeer &) = delete;

    const std::string &DevicePath() const { return pty_.slavePath; }
    void SetResponder(Responder responder) { std::lock_guard lock(mutex_); responder_ = std::move(responder); }
    void Send(const Bytes &bytes);
    // Sends bytes and waits until the host's side holds them: bytes left over on the line.
    void Preload(const Bytes &bytes);
    Bytes Received() { std::lock_guard lock(mutex_); return received_; }
    // Forgets what was received, and the early bytes.
    void ClearReceived() { std::lock_guard lock(mutex_); received_.clear(); early_ = 0; }
    // Waits until at least n bytes were received; false on time-out.
    bool WaitReceived(size_t n, std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));
    // Bytes that were on the line before the reply to the byte before them went out: a host that
    // waits for each echo sends none (as long as the responder takes a moment).
    size_t EarlyBytes() { std::lock_guard lock(mutex_); return early_; }
    // The instrument goes away: the line hangs up for the host.
    void Hangup();
    // A descriptor of the line as the host sees it (for reading its settings).
    int KeptSlave() const { return pty_.slaveKeep; }

    static Responder Silent() { return [](uint8_t, const Bytes &) { return Bytes{}; }; }
    // Each 0xA5 gets the next block of the list (the last one repeats); everything else is echoed.
    static Responder Traces(std::vector<Bytes> blocks);

private:
    void Serve();

    sim::PseudoTerminal pty_;
    std::mutex mutex_;
    Bytes received_;
    size_t early_ = 0;
    Responder responder_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace tavrin::test
