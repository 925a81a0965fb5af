#include "remote/scpi_client.h"

namespace tavrin::remote {

class ScpiClient::UnitCall : public Call {
public:
    UnitCall(ScpiClient &client, const ProgramUnit &unit, std::vector<int> suffixes)
        : Call(unit, std::move(suffixes), client.target_, client.state_), client_(client)
    {
    }
    void Reply(std::string response) override { client_.AddReply(std::move(response)); }
    Done Operation(bool trace) override { return client_.NewOperation(trace); }
    void AbortTraces() override { client_.AbortTraces(); }
    std::function<void(std::string)> Later() override { return client_.NewLaterReply(); }
    void WaitForOperations(std::string reply) override
    {
        client_.waitingForOperations_ = true;
        client_.replyAfterWait_ = std::move(reply);
    }
    bool OperationsPending() const override { return !client_.operations_.empty(); }

private:
    ScpiClient &client_;
};

std::shared_ptr<ScpiClient> ScpiClient::Create(const CommandTable &table, RemoteTarget &target, ClientOutput &output)
{
    return std::make_shared<ScpiClient>(table, target, output);
}

ScpiClient::ScpiClient(const CommandTable &table, RemoteTarget &target, ClientOutput &output)
    : table_(table), target_(target), output_(output)
{
}

void ScpiClient::Feed(std::string_view bytes)
{
    while (!bytes.empty()) {
        const size_t newline = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, newline);
        if (!discarding_ && partial_.size() + piece.size() > kMaxLine) {
            RefuseLine(kCommandError, "a line is longer than " + std::to_string(kMaxLine) + " bytes; it is thrown away");
            partial_.clear();
            partial_.shrink_to_fit();
            discarding_ = true;
        }
        if (!discarding_)
            partial_.append(piece);
        if (newline == std::string_view::npos)
            return;
        if (!discarding_)
            TakeLine(std::move(partial_));
        partial_.clear();
        discarding_ = false;
        bytes.remove_prefix(newline + 1);
    }
}

void ScpiClient::AbandonPartialLine()
{
    if (partial_.empty())
        return;
    const bool query = partial_.find('?') != std::string::npos;
    RefuseLine(query ? kQueryUnterminated : kCommandError,
               "a line was left unfinished (no newline came); it is thrown away, also when the rest comes");
    partial_.clear();
    discarding_ = true;
}

// A waiting line costs its bytes and its place in the queue: empty lines and refused ones count too.
size_t ScpiClient::Cost(const Line &line) { return sizeof(Line) + line.text.size(); }

void ScpiClient::TakeLine(std::string text)
{
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    lines_.push_back({std::move(text), 0, {}});
    waitingBytes_ += Cost(lines_.back());
}

void ScpiClient::RefuseLine(int code, std::string detail)
{
    lines_.push_back({{}, code, std::move(detail)});
    waitingBytes_ += Cost(lines_.back());
}

void ScpiClient::StartLine()
{
    waitingBytes_ -= Cost(lines_.front());
    Line line = std::move(lines_.front());
    lines_.pop_front();
    if (line.error) {
        state_.Report(line.error, std::move(line.detail));
        return;
    }
    message_ = MessageReader(std::move(line.text));
    inMessage_ = true;
}

bool ScpiClient::Blocked()
{
    if (waitingForOperations_ && operations_.empty()) {
        waitingForOperations_ = false;
        if (!replyAfterWait_.empty())
            AddReply(std::move(replyAfterWait_));
        replyAfterWait_.clear();
    }
    return waitingForOperations_ || waitingForReply_;
}

bool ScpiClient::Run(std::chrono::microseconds turn)
{
    if (running_ || gone_)
        return false;
    running_ = true;
    // Keeps this alive should a reply make the server let go of it.
    const std::shared_ptr<ScpiClient> self = shared_from_this();
    const auto end = std::chrono::steady_clock::now() + turn;
    bool more = false, ranOne = false;
    while (!gone_ && !Blocked() && !output_.Congested()) {
        if (!inMessage_ && lines_.empty())
            break;
        if (ranOne && std::chrono::steady_clock::now() >= end) {
            more = true;
            break;
        }
        ranOne = true;
        if (!inMessage_) {
            StartLine();
        } else if (const std::optional<ProgramUnit> unit = message_.Next()) {
            RunUnit(*unit);
        } else {
            EndMessage();
        }
    }
    running_ = false;
    return more && !gone_;
}

void ScpiClient::RunUnit(const ProgramUnit &unit)
{
    const unsigned errorsBefore = state_.commandErrors;
    if (unit.error) {
        state_.Report(unit.error, unit.detail);
    } else if (const CommandTable::Lookup found = table_.Find(unit); !found.command) {
        state_.Report(found.error, found.detail);
    } else {
        UnitCall call(*this, unit, found.suffixes);
        found.command->run(call);
    }
    // After a command error the rest of the message is not run.
    if (state_.commandErrors != errorsBefore)
        message_.Stop();
}

void ScpiClient::EndMessage()
{
    inMessage_ = false;
    message_ = MessageReader();
    FlushReply(true);
}

void ScpiClient::AddReply(std::string response)
{
    if (replyStarted_)
        reply_ += ';';
    reply_ += response;
    replyStarted_ = true;
    if (reply_.size() >= kReplyChunk)
        FlushReply(false);
}

bool ScpiClient::FlushReply(bool end)
{
    if (end && replyStarted_)
        reply_ += '\n';
    if (end)
        replyStarted_ = false;
    if (reply_.empty() || gone_)
        return !gone_;
    gone_ = !output_.Send(reply_);
    reply_.clear();
    return !gone_;
}

Done ScpiClient::NewOperation(bool trace)
{
    const uint64_t id = nextOperation_++;
    operations_.insert(id);
    if (trace)
        traceOperations_.insert(id);
    return [weak = weak_from_this(), id](const Outcome &outcome) {
        if (const std::shared_ptr<ScpiClient> client = weak.lock())
            client->OperationEnded(id, outcome);
    };
}

void ScpiClient::OperationEnded(uint64_t id, const Outcome &outcome)
{
    // One ended by ABORt, and ends again from the target, is not counted twice.
    if (operations_.erase(id) == 0)
        return;
    traceOperations_.erase(id);
    if (!outcome.ok())
        state_.Report(outcome.code, outcome.reason);
    if (operations_.empty() && state_.opcArmed) {
        state_.opcArmed = false;
        state_.eventStatus |= kOperationComplete;
    }
    if (waitingForOperations_ && operations_.empty())
        output_.WorkPending();
}

void ScpiClient::AbortTraces()
{
    for (uint64_t id : std::set<uint64_t>(traceOperations_))
        OperationEnded(id, Outcome::Ok());
}

std::function<void(std::string)> ScpiClient::NewLaterReply()
{
    waitingForReply_ = true;
    return [weak = weak_from_this()](std::string reply) {
        const std::shared_ptr<ScpiClient> client = weak.lock();
        if (!client || !client->waitingForReply_)
            return;
        client->waitingForReply_ = false;
        client->AddReply(std::move(reply));
        client->output_.WorkPending();
    };
}

}  // namespace tavrin::remote
