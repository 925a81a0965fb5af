#include "fake_target.h"

#include "remote/scpi_errors.h"

namespace tavrin::test {

using namespace remote;

FakeTarget::FakeTarget()
{
    limits[0].reason = limits[1].reason = "no trace yet";
}

bool FakeTarget::FinishOne(const Outcome &outcome)
{
    if (held_.empty())
        return false;
    auto done = std::move(held_.front());
    held_.pop_front();
    done(outcome);
    return true;
}

void FakeTarget::FinishAll()
{
    while (FinishOne(nextOutcome)) {
    }
}

void FakeTarget::End(Done done, Outcome outcome)
{
    if (hold)
        held_.push_back([done = std::move(done)](const Outcome &o) { done(o); });
    else
        done(outcome);
}

void FakeTarget::SetLiveTrace(int peakPoint, int16_t peak, int16_t floor)
{
    RemoteTrace t;
    t.points.fill(floor);
    t.points.at(static_cast<size_t>(peakPoint)) = peak;
    t.settings = settings;
    traces[TraceName::Live] = t;
}

void FakeTarget::Identify(std::function<void(const RemoteIdentity &)> answer)
{
    Log("Identify");
    if (hold)
        held_.push_back([this, answer = std::move(answer)](const Outcome &) { answer(identity); });
    else
        answer(identity);
}

std::optional<RemoteTrace> FakeTarget::Trace(TraceName name, Outcome &why) const
{
    const auto it = traces.find(name);
    if (it != traces.end())
        return it->second;
    why = name == TraceName::Live ? Outcome{kExecutionError, "no trace taken yet"}
                                  : Outcome{kSettingsConflict, "that trace is off"};
    return std::nullopt;
}

void FakeTarget::SelectLimitFile(int n, const std::string &name, Done done)
{
    Log("SelectLimitFile " + std::to_string(n) + " " + name);
    if (!limitFiles.count(name)) {
        End(std::move(done), {kExecutionError, "no limit file " + name + ".lim"});
        return;
    }
    L(n).file = name;
    End(std::move(done));
}

void FakeTarget::SetGeneratorMode(bool on, Done done)
{
    Log(on ? "GeneratorMode on" : "GeneratorMode off");
    generator.mode = on;
    if (!on)
        generator.output = false;
    End(std::move(done));
}

}  // namespace tavrin::test
