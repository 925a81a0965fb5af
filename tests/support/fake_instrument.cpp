#include "support/fake_instrument.h"

#include "measure/measurement_state.h"

#include <cstdio>
#include <cstdlib>

namespace tavrin::test {

using std::chrono::milliseconds;

RequestId FakeInstrument::Queue(std::function<milliseconds()> begin, std::function<void()> end, milliseconds worst,
                                bool fetch)
{
    const RequestId id = next_++;
    queue_.push_back({id, std::move(begin), std::move(end), worst, fetch});
    if (!running_)
        Next();
    return id;
}

void FakeInstrument::Next()
{
    if (running_ || queue_.empty())
        return;
    Request r = std::move(queue_.front());
    queue_.pop_front();
    running_ = r.id;
    // As the library does: a trace request at least 100 ms after the one before.
    const auto due = r.fetch && lastFetch_ ? *lastFetch_ + milliseconds(100) : clock_.Now();
    if (due > clock_.Now()) {
        runningEnd_ = due;
        clock_.After(std::chrono::ceil<milliseconds>(due - clock_.Now()), [this, r] { Begin(r); });
        return;
    }
    Begin(std::move(r));
}

void FakeInstrument::Begin(Request r)
{
    if (dropped_.erase(r.id)) {  // cancelled before it went out
        running_ = 0;
        Next();
        return;
    }
    if (r.fetch)
        lastFetch_ = clock_.Now();
    const milliseconds took = r.begin();
    runningEnd_ = clock_.Now() + took;
    clock_.After(took, [this, r] {
        running_ = 0;
        if (!dropped_.erase(r.id))
            r.end();
        Next();
    });
}

void FakeInstrument::Cancel(RequestId id)
{
    if (id == running_) {
        dropped_.insert(id);
        return;
    }
    std::erase_if(queue_, [id](const Request &r) { return r.id == id; });
}

std::optional<Instrument::Clock::time_point> FakeInstrument::FreeBy() const
{
    if (!Busy())
        return std::nullopt;
    Clock::time_point end = running_ ? runningEnd_ : clock_.Now();
    for (const Request &r : queue_)
        end += r.worst;
    return end;
}

std::vector<std::pair<long long, std::string>> FakeInstrument::SentAt()
{
    std::vector<std::pair<long long, std::string>> recent(sent_.begin() + static_cast<long>(mark_), sent_.end());
    mark_ = sent_.size();
    return recent;
}

std::vector<std::string> FakeInstrument::Sent()
{
    std::vector<std::string> texts;
    for (auto &[ms, text] : SentAt())
        texts.push_back(text);
    return texts;
}

bool FakeInstrument::Answers() const
{
    return !silent && !absentPorts.count(port_) && (silentAfter < 0 || traces_ < static_cast<uint64_t>(silentAfter));
}

TracePoints FakeInstrument::MakeTrace()
{
    TracePoints t{};
    for (int i = 0; i <= kLastScreenPoint; ++i)
        t[static_cast<size_t>(i)] = level ? level(i, traces_, settings) : static_cast<int16_t>(i == kCenterPoint ? 900 : 300);
    return t;
}

RequestId FakeInstrument::SelectPort(int port, Reply<PortSelected> reply)
{
    port_ = port;
    return Queue(
        [this, port] {
            Log("P" + std::to_string(port));
            return milliseconds(1);
        },
        [this, port, reply] {
            if (reply)
                reply({port, !absentPorts.count(port), false, unreachable});
        },
        milliseconds(1));
}

RequestId FakeInstrument::CheckLink(Reply<LinkCheck> reply)
{
    return Queue(
        [this] {
            Log("j");
            return Answers() ? kCheck : kSilentCheck;
        },
        [this, reply] {
            const bool answers = Answers() && unreachable.empty();
            if (reply)
                reply({answers, answers ? serial : "999999", unreachable});
        },
        kSilentCheck);
}

RequestId FakeInstrument::Fetch(Reply<Fetched> reply)
{
    return Queue(
        [this] {
            if (!unreachable.empty())
                return milliseconds(0);
            Log("T");
            return Answers() ? kBlock : kSilentFetch;
        },
        [this, reply] {
            Fetched f;
            f.attempts = 1;
            if (!unreachable.empty()) {
                f.outcome = FetchOutcome::Unreachable;
                f.reason = unreachable;
            } else if (!Answers()) {
                f.outcome = FetchOutcome::Silent;
            } else if (garbled) {
                f.outcome = FetchOutcome::Garbled;
                f.rejected = 1;
            } else {
                f.outcome = FetchOutcome::Trace;
                f.points = MakeTrace();
                f.settings = settings;
                f.took = kBlock;
                ++traces_;
            }
            if (reply)
                reply(f);
        },
        kSilentFetch, true);
}

RequestId FakeInstrument::Send(SettingCommand c, Reply<bool> reply)
{
    return Queue(
        [this, c] {
            char text[16];
            const char letter = "FSLR"[static_cast<int>(c.what)];
            if (c.what == SettingCommand::What::CenterKHz)
                std::snprintf(text, sizeof text, "F%07d", c.value);
            else
                std::snprintf(text, sizeof text, "%c%d", letter, c.value);
            Log(text);
            return Answers() ? kFrame : kSilentFrame;
        },
        [this, c, reply] {
            if (Answers() && !deaf) {
                switch (c.what) {
                case SettingCommand::What::CenterKHz: settings.centerMHz = c.value / 1000.0; break;
                case SettingCommand::What::SpanRow: settings.span = SpanCaption(c.value); break;
                case SettingCommand::What::RefLevelRow: settings.refLevelDbm = kRefLevelsDbm[static_cast<size_t>(c.value)]; break;
                case SettingCommand::What::RbwRow: settings.rbw = RbwCaption(c.value); break;
                }
            }
            if (reply)
                reply(true);
        },
        kSilentFrame);
}

namespace {

// The text command the library sends for a generator command, as the simulator logs it.
std::string GeneratorText(const GeneratorCommand &c)
{
    char text[24];
    const int m = std::abs(c.value);
    switch (c.what) {
    case GeneratorCommand::What::Start: return "GEN:DISP";
    case GeneratorCommand::What::Exit: return "GEN:EXIT";
    case GeneratorCommand::What::Normalize: return "GEN:NRM";
    case GeneratorCommand::What::Output: return c.value == 1 ? "GEN:MDE ON" : "GEN:MDE OFF";
    case GeneratorCommand::What::Level: std::snprintf(text, sizeof text, "GEN:LEV -%02d", m); return text;
    case GeneratorCommand::What::Offset:
        std::snprintf(text, sizeof text, "GEN:OFF %c%02d", c.value >= 0 ? '+' : '-', m);
        return text;
    }
    return {};
}

}  // namespace

RequestId FakeInstrument::Generator(GeneratorCommand c, Reply<bool> reply)
{
    return Queue(
        [this, c] {
            Log(GeneratorText(c));
            return Answers() ? kFrame : kSilentFrame;
        },
        [reply] {
            if (reply)
                reply(true);
        },
        kSilentFrame);
}

RequestId FakeInstrument::AskVersions(Reply<Versions> reply)
{
    return Queue(
        [this] {
            Log("V");
            return Answers() ? kCheck : kSilentCheck;
        },
        [this, reply] {
            if (reply)
                reply(Answers() ? Versions{207, 14} : Versions{});
        },
        kSilentCheck);
}

}  // namespace tavrin::test
