#include "fake_target.h"

#include "common/number_format.h"
#include "measure/measurement_state.h"
#include "remote/scpi_errors.h"

#include <algorithm>

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

void FakeTarget::SetCenter(double mhz, Done done)
{
    Log("SetCenter " + PlainDecimal(mhz));
    settings.centerMHz = mhz;
    End(std::move(done));
}

void FakeTarget::SetSpan(const std::string &caption, Done done)
{
    Log("SetSpan " + caption);
    settings.span = caption;
    End(std::move(done));
}

void FakeTarget::SetRefLevel(int dbm, Done done)
{
    Log("SetRefLevel " + std::to_string(dbm));
    settings.refLevelDbm = dbm;
    End(std::move(done));
}

void FakeTarget::SetRbw(const std::string &caption, Done done)
{
    Log("SetRbw " + caption);
    settings.rbw = caption;
    End(std::move(done));
}

void FakeTarget::SetRunning(bool on, Done done)
{
    Log(on ? "Start" : "Stop");
    running = on;
    End(std::move(done));
}

void FakeTarget::TakeTrace(Done done)
{
    Log("TakeTrace");
    End(std::move(done));
}

void FakeTarget::Abort() { Log("Abort"); }

void FakeTarget::SetAveraging(bool on, Done done)
{
    Log(on ? "AveragingOn" : "AveragingOff");
    averaging = on;
    End(std::move(done));
}

void FakeTarget::SetAverageCount(int count, Done done)
{
    Log("SetAverageCount " + std::to_string(count));
    averageCount = count;
    End(std::move(done));
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

void FakeTarget::SetMarkerOn(int n, bool on, Done done)
{
    Log("SetMarkerOn " + std::to_string(n) + (on ? " on" : " off"));
    markers.at(static_cast<size_t>(n - 1)).on = on;
    End(std::move(done));
}

void FakeTarget::SetMarkerFreq(int n, double mhz, Done done)
{
    Log("SetMarkerFreq " + std::to_string(n) + " " + PlainDecimal(mhz));
    markers.at(static_cast<size_t>(n - 1)).freqMHz = mhz;
    End(std::move(done));
}

void FakeTarget::MarkerToPeak(int n, Done done)
{
    Log("MarkerToPeak " + std::to_string(n));
    RemoteMarker &m = markers.at(static_cast<size_t>(n - 1));
    m.on = true;
    const auto live = traces.find(TraceName::Live);
    if (live != traces.end()) {
        const TracePoints &p = live->second.points;
        const int peak = static_cast<int>(std::max_element(p.begin(), p.end()) - p.begin());
        m.freqMHz = settings.centerMHz + (peak - 251) * MHzPerDivision(settings.span) / 50;
    }
    End(std::move(done));
}

void FakeTarget::SetLimitShown(int n, bool shown, Done done)
{
    Log("SetLimitShown " + std::to_string(n) + (shown ? " on" : " off"));
    limits.at(static_cast<size_t>(n - 1)).shown = shown;
    End(std::move(done));
}

void FakeTarget::SelectLimitFile(int n, const std::string &name, Done done)
{
    Log("SelectLimitFile " + std::to_string(n) + " " + name);
    if (!limitFiles.count(name)) {
        End(std::move(done), {kExecutionError, "no limit file " + name + ".lim"});
        return;
    }
    limits.at(static_cast<size_t>(n - 1)).file = name;
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

void FakeTarget::SetGeneratorOutput(bool on, Done done)
{
    Log(on ? "GeneratorOutput on" : "GeneratorOutput off");
    generator.output = on;
    End(std::move(done));
}

void FakeTarget::SetGeneratorLevel(int dbm, Done done)
{
    Log("GeneratorLevel " + std::to_string(dbm));
    generator.levelDbm = dbm;
    End(std::move(done));
}

void FakeTarget::SetGeneratorOffset(int khz, Done done)
{
    Log("GeneratorOffset " + std::to_string(khz));
    generator.offsetKHz = khz;
    End(std::move(done));
}

void FakeTarget::NormalizeGenerator(Done done)
{
    Log("Normalize");
    End(std::move(done));
}

}  // namespace tavrin::test
