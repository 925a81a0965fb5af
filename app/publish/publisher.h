// Traces, peaks, limit verdicts and the link's state published to an MQTT broker, per analyzer
// serial number under a prefix:
//   <prefix>/<serial>/trace   every trace (thinned to PublishConfig::traceIntervalSeconds)
//   <prefix>/<serial>/peak    its highest point, with each published trace
//   <prefix>/<serial>/limit   the limit lines' verdicts, on every change and once a minute
//   <prefix>/<serial>/status  retained: online, acquiring, no answer, line lost, offline (also the
//                             last will, which the broker sends when the publisher vanishes)
//
// Nothing here ever waits on the network: every call only queues under a short lock, and one
// thread of the publisher's own does all of the talking (libmosquitto's loop, the connection and
// reconnection with back-off: 1, 2, 4 ... 30 s). A broker away at the start or lost later costs
// the caller nothing. At QoS 1 what is published meanwhile waits within PublishConfig::queueBytes
// and goes out when the broker is back (past the bound the oldest is dropped and counted); at
// QoS 0 it is dropped and counted. Every change of the broker's state is told once, through the
// listener, on the publisher's thread. The calls below are made from one thread (or one at a
// time); only a host name that takes long to resolve can hold up Stop.
#pragma once

#include "publish/outbox.h"
#include "publish/publish_config.h"
#include "publish/publish_payloads.h"
#include "publish/publish_rhythm.h"
#include "record/record_file.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

struct mosquitto;

namespace tavrin {

enum class BrokerState {
    Connecting,   // not yet answered
    Connected,    // publishing
    Unreachable,  // never reached: no broker there, a name that does not resolve, TLS refused
    Lost,         // was connected, went away
    Refused,      // answered, but refused the login (user name or password)
};

struct BrokerEvent {
    BrokerState state = BrokerState::Connecting;
    std::string reason;  // the network's or the broker's words, for all but Connected
};

struct PublishCounts {
    uint64_t handed = 0;     // trace, peak and limit messages taken in (after the thinning)
    uint64_t delivered = 0;  // acknowledged by the broker (QoS 1) or written to it (QoS 0)
    uint64_t dropped = 0;    // past the queue's bound, or at QoS 0 while the broker was away
    bool everConnected = false;

    uint64_t Undelivered() const { return handed - delivered - dropped; }  // still queued at the end
};

class Publisher {
public:
    using Listener = std::function<void(const BrokerEvent &)>;
    static constexpr int kKeepAliveSeconds = 15;
    static constexpr int kMaxBackoffSeconds = 30;

    Publisher(PublishConfig config, Listener listener);
    ~Publisher();  // Stop(0)
    Publisher(const Publisher &) = delete;
    Publisher &operator=(const Publisher &) = delete;

    // Sets the client up (TLS, credentials); "" or why not (a CA file that cannot be read).
    std::string Open();
    // The analyzer the topics and the last will belong to (an empty serial number is ignored). The
    // first call starts the connection; another serial number says offline for the old one and
    // connects again with the new will.
    void SetAnalyzer(const std::string &serial);
    void SetStatus(PublishedStatus status);
    // A trace with its sequence number (the source's count of traces, so a gap shows thinning or
    // loss); the thinning decides whether it and its peak are published.
    void Trace(const TraceRecord &record, uint64_t seq);
    // The verdicts of the lines switched on, after every judged trace; the rhythm decides.
    void Limits(std::time_t time, const std::vector<LimitLineReport> &lines);
    // Says offline, gives what is queued up to drain to go out while the broker is there, and
    // disconnects. Afterwards every call is ignored.
    void Stop(std::chrono::milliseconds drain);
    PublishCounts Counts() const;

private:
    std::string Topic(const std::string &serial, const char *leaf) const;
    void Enqueue(OutMessage message);
    void Run();
    bool Session(const std::string &serial, bool first);
    struct Goodbye {
        bool said = false;
        std::optional<std::chrono::steady_clock::time_point> by;
    };
    bool Service(const std::string &serial, Goodbye &goodbye);
    void PublishStatus(const std::string &serial, PublishedStatus status);
    void Tell(BrokerState state, const std::string &reason);
    std::string ErrorText(int rc, int savedErrno) const;
    static void OnConnect(mosquitto *, void *self, int rc);
    static void OnDisconnect(mosquitto *, void *self, int rc);
    static void OnPublish(mosquitto *, void *self, int mid);
    static void OnLog(mosquitto *, void *self, int level, const char *text);

    const PublishConfig config_;
    const Listener listener_;
    mosquitto *mosq_ = nullptr;
    std::thread thread_;

    mutable std::mutex mutex_;  // guards what follows; never held while calling libmosquitto
    std::condition_variable wake_;
    std::string serial_;
    PublishedStatus status_ = PublishedStatus::Online;
    bool statusDirty_ = true;
    bool stopping_ = false;
    bool stopped_ = false;
    std::chrono::steady_clock::time_point stopBy_{};
    Outbox outbox_;
    TraceThinning thinning_;
    LimitRhythm limitRhythm_;
    PublishCounts counts_;
    bool connected_ = false;
    bool away_ = false;        // a connection failed or was lost, and none is up again yet
    size_t dataInFlight_ = 0;  // handed to libmosquitto, not yet delivered

    // The publisher's thread only.
    std::set<int> statusMids_;
    bool refused_ = false;
    BrokerState told_ = BrokerState::Connecting;
    std::string lastLogError_;
};

}  // namespace tavrin
