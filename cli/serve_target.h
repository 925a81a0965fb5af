// The target of tavrin-cli serve: a small session of its own over the analyzer (settings as the
// panel keeps and fits them, each sent and confirmed; continuous or single traces; the running
// average; both holds, always on; markers; limit lines from the Working folder; the generator).
//
// A stand-in: once tavrin-cli runs the program's acquisition session, a thin adapter from
// RemoteTarget to that session replaces this file (and line_worker.*).
#pragma once

#include "cli/line_worker.h"
#include "markers/limit_lines.h"
#include "markers/markers.h"
#include "measure/averaging.h"
#include "measure/trace_hold.h"
#include "remote/remote_target.h"

#include <QObject>

#include <vector>

namespace tavrin::cli {

class ServeTarget : public remote::RemoteTarget {
public:
    // Results of the line come back to home's thread.
    explicit ServeTarget(QObject &home);

    // Opens COMn, takes a first trace and reads the versions: kExitOk, or the exit code after the
    // reason was told. Before the event loop runs.
    int Open(int port);

    void Identify(std::function<void(const remote::RemoteIdentity &)> answer) override { answer(identity_); }
    remote::RemoteSettings Settings() const override { return settings_; }
    void SetCenter(double mhz, remote::Done done) override;
    void SetSpan(const std::string &caption, remote::Done done) override;
    void SetRefLevel(int dbm, remote::Done done) override;
    void SetRbw(const std::string &caption, remote::Done done) override;
    bool Running() const override { return running_; }
    void SetRunning(bool on, remote::Done done) override;
    void TakeTrace(remote::Done done) override;
    void Abort() override;
    bool AveragingOn() const override { return averagingOn_; }
    int AverageCount() const override { return averageCount_; }
    void SetAveraging(bool on, remote::Done done) override;
    void SetAverageCount(int count, remote::Done done) override;
    std::optional<remote::RemoteTrace> Trace(remote::TraceName name, remote::Outcome &why) const override;
    remote::RemoteMarker Marker(int n) const override;
    void SetMarkerOn(int n, bool on, remote::Done done) override;
    void SetMarkerFreq(int n, double mhz, remote::Done done) override;
    void MarkerToPeak(int n, remote::Done done) override;
    remote::RemoteLimit Limit(int n) const override;
    void SetLimitShown(int n, bool shown, remote::Done done) override;
    void SelectLimitFile(int n, const std::string &name, remote::Done done) override;
    remote::RemoteGenerator Generator() const override { return generator_; }
    void SetGeneratorMode(bool on, remote::Done done) override;
    void SetGeneratorOutput(bool on, remote::Done done) override;
    void SetGeneratorLevel(int dbm, remote::Done done) override;
    void SetGeneratorOffset(int khz, remote::Done done) override;
    void NormalizeGenerator(remote::Done done) override;

private:
    struct Taken {
        bool ok = false;
        bool silent = false;
        LiveTrace points{};
        BlockReport report;
    };
    using Send = std::function<bool(TavrinDLL &, std::string &why)>;

    // A setting sent on the line; done with -200 and why when the analyzer did not confirm it.
    void Apply(Send send, remote::Done done);
    // Generator commands: nothing to confirm.
    void Command(std::function<void(TavrinDLL &)> send, remote::Done done);
    // A fetch when one is due: while running, or for INITiate, and the line has nothing else.
    void Continue();
    void Took(const Taken &taken);
    void SendGeneratorSettings(remote::Done done);
    void ShowReport(const BlockReport &report);
    MeasurementState ShownState() const;

    QObject &home_;
    remote::RemoteIdentity identity_;
    remote::RemoteSettings settings_;
    bool running_ = false;
    int jobs_ = 0;         // posted to the line, not yet back
    int settingJobs_ = 0;  // of them settings: reports do not overwrite the settings meanwhile
    std::vector<remote::Done> waitingTraces_;  // INITiate's, for the next fetch
    std::vector<remote::Done> inFlight_;       // INITiate's, for the fetch on the line
    bool retrying_ = false;                    // the line gave no trace: the next fetch waits a while
    unsigned traces_ = 0;
    LiveTrace shown_{};
    BlockReport shownReport_;
    bool averagingOn_ = false;
    int averageCount_ = 4;
    RunningAverage average_;
    TraceHolds holds_;
    MarkerControls markers_{};
    LimitLines limits_ = InitialLimitLines();
    remote::RemoteGenerator generator_;
    LineWorker worker_;  // last: it ends first, before anything its jobs hand back to
};

}  // namespace tavrin::cli
