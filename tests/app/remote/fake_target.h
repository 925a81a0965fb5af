// A RemoteTarget for tests: state held in plain fields, every call logged, and each intent
// applied at once; its Done is called at once too unless holding is on, when it waits until the
// test finishes it. No threads, no time.
#pragma once

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
    void SetCenter(double mhz, remote::Done done) override;
    void SetSpan(const std::string &caption, remote::Done done) override;
    void SetRefLevel(int dbm, remote::Done done) override;
    void SetRbw(const std::string &caption, remote::Done done) override;
    bool Running() const override { return running; }
    void SetRunning(bool on, remote::Done done) override;
    void TakeTrace(remote::Done done) override;
    void Abort() override;
    bool AveragingOn() const override { return averaging; }
    int AverageCount() const override { return averageCount; }
    void SetAveraging(bool on, remote::Done done) override;
    void SetAverageCount(int count, remote::Done done) override;
    std::optional<remote::RemoteTrace> Trace(remote::TraceName name, remote::Outcome &why) const override;
    remote::RemoteMarker Marker(int n) const override { return markers.at(static_cast<size_t>(n - 1)); }
    void SetMarkerOn(int n, bool on, remote::Done done) override;
    void SetMarkerFreq(int n, double mhz, remote::Done done) override;
    void MarkerToPeak(int n, remote::Done done) override;
    remote::RemoteLimit Limit(int n) const override { return limits.at(static_cast<size_t>(n - 1)); }
    void SetLimitShown(int n, bool shown, remote::Done done) override;
    void SelectLimitFile(int n, const std::string &name, remote::Done done) override;
    remote::RemoteGenerator Generator() const override { return generator; }
    void SetGeneratorMode(bool on, remote::Done done) override;
    void SetGeneratorOutput(bool on, remote::Done done) override;
    void SetGeneratorLevel(int dbm, remote::Done done) override;
    void SetGeneratorOffset(int khz, remote::Done done) override;
    void NormalizeGenerator(remote::Done done) override;

private:
    void Log(std::string call) { calls.push_back(std::move(call)); }
    void End(remote::Done done, remote::Outcome outcome);
    void End(remote::Done done) { End(std::move(done), nextOutcome); }

    std::deque<std::function<void(const remote::Outcome &)>> held_;
};

}  // namespace tavrin::test
