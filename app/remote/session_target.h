// What SCPI commands reach in the program and in tavrin-cli serve: the acquisition session. Each
// remote setting is the same intent as the panel's control, applied and confirmed as typed input
// is, and each query reads the session's state as the panel shows it.
#pragma once

#include "remote/remote_target.h"
#include "session/panel_settings.h"

#include <QObject>
#include <memory>
#include <optional>
#include <vector>

namespace tavrin {

class Session;

namespace remote {


class SessionTarget : public QObject, public RemoteTarget {
public:
    explicit SessionTarget(Session &session, QObject *parent = nullptr);
    ~SessionTarget() override;

    void Identify(std::function<void(const RemoteIdentity &)> answer) override;
    RemoteSettings Settings() const override;
    void SetCenter(double mhz, Done done) override;
    void SetSpan(const std::string &caption, Done done) override;
    void SetRefLevel(int dbm, Done done) override;
    void SetRbw(const std::string &caption, Done done) override;
    bool Running() const override;
    void SetRunning(bool on, Done done) override;
    void TakeTrace(Done done) override;
    void Abort() override;
    bool AveragingOn() const override;
    int AverageCount() const override;
    void SetAveraging(bool on, Done done) override;
    void SetAverageCount(int count, Done done) override;
    std::optional<RemoteTrace> Trace(TraceName name, Outcome &why) const override;
    RemoteMarker Marker(int n) const override;
    void SetMarkerOn(int n, bool on, Done done) override;
    void SetMarkerFreq(int n, double mhz, Done done) override;
    void MarkerToPeak(int n, Done done) override;
    RemoteLimit Limit(int n) const override;
    void SetLimitShown(int n, bool shown, Done done) override;
    void SelectLimitFile(int n, const std::string &name, Done done) override;
    RemoteGenerator Generator() const override;
    void SetGeneratorMode(bool on, Done done) override;
    void SetGeneratorOutput(bool on, Done done) override;
    void SetGeneratorLevel(int dbm, Done done) override;
    void SetGeneratorOffset(int khz, Done done) override;
    void NormalizeGenerator(Done done) override;

private:
    // An apply's end told as an outcome, unless this target went first.
    PanelSettings::Applied Confirmation(Done done, const std::string &what);
    std::function<void()> Sent(Done done);
    // Applies as the panel does, but sent and confirmed even while stopped, where the panel only
    // shows a setting: an INIT after it must measure at it, and *OPC? must not answer for a
    // setting the analyzer never got.
    void Confirmed(const std::function<void()> &apply);

    void AskIdentity();

    Session &s_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::vector<std::shared_ptr<Done>> taking_;  // TakeTrace's waits, until the trace or Abort
    // The versions are asked once per analyzer (its serial number), not once per *IDN?: each
    // question waits its turn on the line between the traces. Those asking meanwhile wait for
    // the one question.
    std::optional<RemoteIdentity> identity_;
    std::vector<std::function<void(const RemoteIdentity &)>> identifying_;
};

}  // namespace remote
}  // namespace tavrin
