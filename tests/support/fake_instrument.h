// An analyzer in virtual time behind the Instrument interface: requests go out one at a time and
// take the line's time (a block 177 ms, a silent request its time-outs), settings take effect
// when their frame is out and are reported by the traces after it, and every request is logged as
// the simulator logs what it receives ("T" a trace, "j" the serial number, "F0080000", "S12",
// "L3", "R1", "P1" a port selected, "GEN:DISP" and the other text commands).
#pragma once

#include "instrument/instrument.h"
#include "support/virtual_clock.h"

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace tavrin::test {

class FakeInstrument : public Instrument {
public:
    static constexpr std::chrono::milliseconds kBlock{177};
    static constexpr std::chrono::milliseconds kSilentFetch{20860};
    static constexpr std::chrono::milliseconds kCheck{10};
    static constexpr std::chrono::milliseconds kSilentCheck{150};
    static constexpr std::chrono::milliseconds kFrame{5};
    static constexpr std::chrono::milliseconds kSilentFrame{990};

    explicit FakeInstrument(VirtualClock &clock) : clock_(clock) {}

    // The analyzer: what it reports, whether it answers, what its traces look like.
    AnalyzerSettings settings{80.0, "10MHZ/DIV", 0, "4MHZ"};
    std::string serial = "12345";
    bool silent = false;          // nothing answers (cable pulled, analyzer off)
    int silentAfter = -1;         // falls silent after so many traces (-1 never)
    bool garbled = false;         // every block comes with invalid points
    std::string unreachable;      // the library is missing: the reason
    bool deaf = false;            // takes no setting: keeps reporting what it had
    std::set<int> absentPorts;    // nothing behind these COM numbers: silent there
    // Level 0..1023 of a point for the n-th trace; a flat floor with a carrier at the centre.
    std::function<int16_t(int point, uint64_t n, const AnalyzerSettings &)> level;

    RequestId SelectPort(int port, Reply<PortSelected> reply) override;
    RequestId CheckLink(Reply<LinkCheck> reply) override;
    RequestId Fetch(Reply<Fetched> reply) override;
    RequestId Send(SettingCommand command, Reply<bool> reply) override;
    RequestId Generator(GeneratorCommand command, Reply<bool> reply) override;
    RequestId AskVersions(Reply<Versions> reply) override;
    void Cancel(RequestId id) override;
    bool Busy() const override { return running_ != 0 || !queue_.empty(); }
    std::optional<Clock::time_point> FreeBy() const override;
    int Port() const override { return port_; }

    // What went out on the line since the last call (or since the start).
    std::vector<std::string> Sent();
    // The same with the virtual milliseconds each went out at.
    std::vector<std::pair<long long, std::string>> SentAt();
    uint64_t TracesSent() const { return traces_; }

private:
    struct Request {
        RequestId id = 0;
        std::function<std::chrono::milliseconds()> begin;  // goes on the line: logs, says how long
        std::function<void()> end;                          // its effect, then its reply
        std::chrono::milliseconds worst{0};                 // on a silent line
        bool fetch = false;                                 // a trace request: 100 ms after the last
    };
    RequestId Queue(std::function<std::chrono::milliseconds()> begin, std::function<void()> end,
                    std::chrono::milliseconds worst, bool fetch = false);
    void Begin(Request r);
    void Next();
    bool Answers() const;
    TracePoints MakeTrace();

    VirtualClock &clock_;
    std::deque<Request> queue_;
    RequestId running_ = 0;
    Clock::time_point runningEnd_{};
    std::optional<Clock::time_point> lastFetch_;
    std::set<RequestId> dropped_;  // cancelled while on the line
    RequestId next_ = 1;
    int port_ = 0;
    uint64_t traces_ = 0;
    void Log(std::string text) { sent_.emplace_back(clock_.Ms(), std::move(text)); }
    std::vector<std::pair<long long, std::string>> sent_;
    size_t mark_ = 0;
};

}  // namespace tavrin::test
