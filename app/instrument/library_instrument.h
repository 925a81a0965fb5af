// The analyzer through libTavrin.so: each request a job on the link thread, its reply posted back
// to the thread that made this object, through that thread's event loop.
#pragma once

#include "instrument/instrument.h"
#include "instrument/request_queue.h"

#include <memory>
#include <set>
#include <string>

class QObject;

namespace tavrin {

class LibraryInstrument : public Instrument {
public:
    // An invalid block is fetched again at most this often before the fetch gives up.
    static constexpr int kMaxFetchAttempts = 5;

    // libraryPath empty: libTavrin.so next to the executable, then the system's search.
    explicit LibraryInstrument(std::string libraryPath = {});
    // Waits briefly for the link thread; one stuck in a call on a silent line is left to end
    // with the process, and the library stays loaded under it.
    ~LibraryInstrument() override;
    LibraryInstrument(const LibraryInstrument &) = delete;
    LibraryInstrument &operator=(const LibraryInstrument &) = delete;

    RequestId SelectPort(int port, Reply<PortSelected> reply) override;
    RequestId CheckLink(Reply<LinkCheck> reply) override;
    RequestId Fetch(Reply<Fetched> reply) override;
    RequestId Send(SettingCommand command, Reply<bool> reply) override;
    RequestId Generator(GeneratorCommand command, Reply<bool> reply) override;
    RequestId AskVersions(Reply<Versions> reply) override;
    void Cancel(RequestId id) override;
    bool Busy() const override { return queue_.Busy(); }
    std::optional<Clock::time_point> FreeBy() const override { return queue_.FreeBy(); }
    int Port() const override { return port_; }

    // For a program that is leaving: nothing more goes out, and no reply comes.
    void Abandon() { queue_.Abandon(); }
    // How long the library call on the line has been running (zero when none is); from any thread.
    Clock::duration CallRunningFor() const { return queue_.RunningFor(); }

    struct Line;

private:
    template <class T>
    RequestId Post(std::chrono::milliseconds worst, std::function<T(Line &, const std::atomic<bool> &)> call,
                   Reply<T> reply);
    void Deliver(RequestId id, std::function<void()> deliver);

    struct Mailbox;
    // The library and its trace array: touched only by jobs on the link thread, and shared with
    // them because a job left on a silent line may outlive this object.
    std::shared_ptr<Line> line_;
    std::shared_ptr<Mailbox> mailbox_;
    RequestQueue queue_;
    std::set<RequestId> pending_;  // asked and neither answered nor cancelled
    int port_ = 0;
};

}  // namespace tavrin
