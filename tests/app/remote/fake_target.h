// A RemoteTarget for tests: state held in plain fields, every call logged, and each intent
// applied at once; its Done is called at once too unless holding is on, when it waits until the
// test finishes it. No threads, no time.
#pragma once

#include "common/number_format.h"
#include "remote/remote_target.h"

#include <array>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace tavrin::test {

class FakeTarget : public remote::RemoteTarget {
public:
    using Done = remote::Done;
    FakeTarget();

    // What was asked, in order: "SetCenter 100", "SetSpan 2MHZ/DIV", "TakeTrace", ...
    std::vector<std::string> calls;

    remote::RemoteIdentity identity{"12345", "2.07", "1.4"};
    remote::RemoteSettings settings{80, "10MHZ/DIV", 0, "3KHZ", false};
    bool running = false;
    bool averaging = false;
    int averageCount = 4;
    std::map<remote::TraceName, remote::RemoteTrace> traces;
    std::array<remote::RemoteMarker, 5> markers{};
    std::array<remote::RemoteLimit, 2> limits{};
    std::set<std::string> limitFiles{"mask"};
    remote::RemoteGenerator generator;
    // What the next intent ends with.
    remote::Outcome nextOutcome;

    // Done callbacks (and the identity's answer) wait until finished.
    bool hold = false;
    size_t Held() const { return held_.size(); }
    // The oldest held callback ends with the outcome; false when none is held.
    bool FinishOne(const remote::Outcome &outcome = {});
    void FinishAll();

    // A live trace of the settings with one peak at the point.
    void SetLiveTrace(int peakPoint, int16_t peak = 900, int16_t floor = 100);

    void Identify(std::function<void(const remote::RemoteIdentity &)> answer) override;
    remote::RemoteSettings Settings() const override { return settings; }
    void SetCenter(double mhz, Done d) override { Set("SetCenter " + PlainDecimal(mhz), settings.centerMHz, mhz, d); }
    void SetSpan(const std::string &c, Done d) override { Set("SetSpan " + c, settings.span, c, d); }
    void SetRefLevel(int dbm, Done d) override { Set("SetRefLevel " + N(dbm), settings.refLevelDbm, dbm, d); }
    void SetRbw(const std::string &c, Done d) override { Set("SetRbw " + c, settings.rbw, c, d); }
    bool Running() const override { return running; }
    void SetRunning(bool on, Done d) override { Set(on ? "Start" : "Stop", running, on, d); }
    void TakeTrace(Done d) override { Act("TakeTrace", d); }
    void Abort() override { Log("Abort"); }
    bool AveragingOn() const override { return averaging; }
    int AverageCount() const override { return averageCount; }
    void SetAveraging(bool on, Done d) override { Set(on ? "AveragingOn" : "AveragingOff", averaging, on, d); }
    void SetAverageCount(int n, Done d) override { Set("SetAverageCount " + N(n), averageCount, n, d); }
    std::optional<remote::RemoteTrace> Trace(remote::TraceName name, remote::Outcome &why) const override;
    remote::RemoteMarker Marker(int n) const override { return markers.at(static_cast<size_t>(n - 1)); }
    void SetMarkerOn(int n, bool on, Done d) override
    {
        Set("SetMarkerOn " + N(n) + (on ? " on" : " off"), M(n).on, on, d);
    }
    void SetMarkerFreq(int n, double mhz, Done d) override
    {
        Set("SetMarkerFreq " + N(n) + " " + PlainDecimal(mhz), M(n).freqMHz, mhz, d);
    }
    // Switches the marker on; where the peak is, is the panel's business.
    void MarkerToPeak(int n, Done d) override { Set("MarkerToPeak " + N(n), M(n).on, true, d); }
    remote::RemoteLimit Limit(int n) const override { return limits.at(static_cast<size_t>(n - 1)); }
    void SetLimitShown(int n, bool on, Done d) override
    {
        Set("SetLimitShown " + N(n) + (on ? " on" : " off"), L(n).shown, on, d);
    }
    void SelectLimitFile(int n, const std::string &name, Done done) override;
    remote::RemoteGenerator Generator() const override { return generator; }
    void SetGeneratorMode(bool on, Done done) override;
    void SetGeneratorOutput(bool on, Done d) override
    {
        Set(on ? "GeneratorOutput on" : "GeneratorOutput off", generator.output, on, d);
    }
    void SetGeneratorLevel(int dbm, Done d) override { Set("GeneratorLevel " + N(dbm), generator.levelDbm, dbm, d); }
    void SetGeneratorOffset(int khz, Done d) override { Set("GeneratorOffset " + N(khz), generator.offsetKHz, khz, d); }
    void NormalizeGenerator(Done d) override { Act("Normalize", d); }

private:
    void Log(std::string call) { calls.push_back(std::move(call)); }
    void End(Done done, remote::Outcome outcome);
    void End(Done done) { End(std::move(done), nextOutcome); }
    // The call logged, the field set and the intent ended.
    template <class T, class V>
    void Set(std::string call, T &field, const V &value, Done done)
    {
        field = value;
        Act(std::move(call), std::move(done));
    }
    void Act(std::string call, Done done)
    {
        Log(std::move(call));
        End(std::move(done));
    }
    static std::string N(int n) { return std::to_string(n); }
    remote::RemoteMarker &M(int n) { return markers.at(static_cast<size_t>(n - 1)); }
    remote::RemoteLimit &L(int n) { return limits.at(static_cast<size_t>(n - 1)); }

    std::deque<std::function<void(const remote::Outcome &)>> held_;
};

}  // namespace tavrin::test
