// One SCPI client: its bytes cut into lines, each line a program message run unit by unit
// against the command table, replies assembled, overlapped operations tracked for *OPC?, *OPC and
// *WAI. Bounded everywhere: a line over kMaxLine bytes is refused and thrown away up to its
// newline, complete lines wait up to a bound, and replies are handed on as they grow.
//
// No I/O and no threads: the server gives it bytes and runs it; it hands replies to its output
// and asks to be run again when a waited-for operation ends.
#pragma once

#include "remote/command_table.h"
#include "remote/scpi_call.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace tavrin::remote {

class ClientOutput {
public:
    virtual ~ClientOutput() = default;
    // Bytes for the client; false when it is gone (or was just dropped for not reading them):
    // nothing more is done for it.
    virtual bool Send(std::string_view bytes) = 0;
    // Replies wait unread: no further unit runs until they drain.
    virtual bool Congested() const = 0;
    // The client has work again (an operation ended); run it soon, not from inside this call.
    virtual void WorkPending() = 0;
};

class ScpiClient : public std::enable_shared_from_this<ScpiClient> {
public:
    static constexpr size_t kMaxLine = 64 * 1024;
    // Complete lines waiting while the client waits for its operations, or its replies drain.
    static constexpr size_t kMaxWaitingInput = 256 * 1024;
    // Replies of one long message are handed on once they reach this size.
    static constexpr size_t kReplyChunk = 64 * 1024;

    static std::shared_ptr<ScpiClient> Create(const CommandTable &table, RemoteTarget &target, ClientOutput &output);

    // Bytes from the client, in any pieces.
    void Feed(std::string_view bytes);
    // Runs waiting lines until the client waits, its output is congested, or the turn's time is
    // up (one unit at least); a turn then ends inside a long message as well. True when work is
    // left for another turn.
    bool Run(std::chrono::microseconds turn = kTurn);
    static constexpr std::chrono::microseconds kTurn{2000};
    // Room for more bytes: the server stops reading the client meanwhile.
    bool WantsInput() const { return waitingBytes_ < kMaxWaitingInput; }
    // Part of a line came and then nothing: it is thrown away with an error (-420 for a query,
    // -100 otherwise), and so is the rest of that line when it comes.
    bool HasPartialLine() const { return !partial_.empty(); }
    void AbandonPartialLine();

    const ClientState &State() const { return state_; }

    ScpiClient(const CommandTable &table, RemoteTarget &target, ClientOutput &output);

private:
    class UnitCall;
    struct Line {
        std::string text;
        int error = 0;  // a line refused before it was read
        std::string detail;
    };

    static size_t Cost(const Line &line);
    void TakeLine(std::string text);
    void RefuseLine(int code, std::string detail);
    // Starts the next waiting line.
    void StartLine();
    void RunUnit(const ProgramUnit &unit);
    void EndMessage();
    bool Blocked();
    void AddReply(std::string response);
    bool FlushReply(bool end);

    Done NewOperation(bool trace);
    void OperationEnded(uint64_t id, const Outcome &outcome);
    std::function<void(std::string)> NewLaterReply();
    void AbortTraces();

    const CommandTable &table_;
    RemoteTarget &target_;
    ClientOutput &output_;
    ClientState state_;

    std::string partial_;
    bool discarding_ = false;
    std::deque<Line> lines_;
    size_t waitingBytes_ = 0;

    MessageReader message_;
    bool inMessage_ = false;
    std::string reply_;
    bool replyStarted_ = false;

    std::set<uint64_t> operations_;
    std::set<uint64_t> traceOperations_;
    uint64_t nextOperation_ = 1;
    bool waitingForOperations_ = false;
    std::string replyAfterWait_;
    bool waitingForReply_ = false;
    bool running_ = false;
    bool gone_ = false;
};

}  // namespace tavrin::remote
