// Publishing from the program: while Setting > Publish is on, a publisher takes every trace the
// session acquires (a played record is not news) from the trace bus, the analyzer's serial number
// from the link check, the line's state, and the limit lines' verdicts after each judged trace.
// The broker's news comes on the publisher's own thread and is told here, on the window thread,
// once per change. Nothing here waits on the network: a broker that is down or goes away costs
// the acquisition and the recording nothing.
#pragma once

#include "common/timers.h"
#include "publish/publisher.h"
#include "session/link_watch.h"
#include "session/trace_bus.h"
#include "settings/program_settings.h"

#include <QObject>
#include <QString>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace tavrin {

class Session;

class Publishing : public QObject {
    Q_OBJECT
public:
    // How long Quit waits for what is queued to reach the broker, and a change of settings.
    static constexpr std::chrono::milliseconds kQuitDrain{2000};
    static constexpr std::chrono::milliseconds kSwitchDrain{1000};
    // How often the line's state is looked at: it turns to "no answer" with time, without an event.
    static constexpr std::chrono::milliseconds kLineEvery{500};

    Publishing(Session &session, Timers &timers, QObject *parent = nullptr);
    ~Publishing() override;

    // Off ends publishing (offline said, what waits given a moment to go out); on starts it anew
    // with these settings (the same as the running publisher's change nothing). "" or why they cannot be used: publishing then goes on as it was, and
    // when it was off the status bar says why.
    std::string Apply(const PublishSettings &settings);
    // The program ends: offline said, what waits given up to drain to go out.
    void Stop(std::chrono::milliseconds drain);
    bool On() const { return publisher_ != nullptr; }
    // What the status bar says: "" while publishing was never asked for.
    const QString &Text() const { return text_; }

signals:
    void textChanged(const QString &text);

private:
    void Take(const TracePtr &trace);
    void FollowLine();
    void Told(uint64_t generation, const BrokerEvent &event);
    void Say(const QString &text);

    Session &session_;
    OneTimer lineWatch_;
    PublishConfig config_;
    PublishSettings applied_;  // what the running publisher was made from
    std::unique_ptr<Publisher> publisher_;
    TraceBus::Connection feed_;
    std::string serial_;
    uint64_t seq_ = 0;            // traces taken since publishing was switched on
    bool limitsOn_ = false;       // the last verdicts published had a line
    uint64_t generation_ = 0;     // of the publisher: news of one that was replaced is stale
    QString text_;
};

// The publisher's configuration from the settings, the password read from its file: "" or what
// to change, as a sentence.
std::string PublishConfigOf(const PublishSettings &settings, PublishConfig &config);
// The topic prefix the settings mean: "" is tavrin/<this computer's host name>.
std::string TopicPrefixOf(const PublishSettings &settings);
// The session's line as the status topic tells it.
PublishedStatus PublishedStatusOf(LinkState state);

}  // namespace tavrin
