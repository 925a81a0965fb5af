#include "publish/publisher.h"

#include <mosquitto.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

namespace tavrin {

namespace {

using Clock = std::chrono::steady_clock;

// Messages handed to libmosquitto and not yet acknowledged (or written, at QoS 0): enough to keep
// the line busy, few enough that the outbox, with its bound, holds the rest.
constexpr size_t kMaxInFlight = 64;
constexpr auto kConnectTimeout = std::chrono::seconds(10);
constexpr auto kGoodbyeTimeout = std::chrono::seconds(2);
// How long the thread sleeps in the library's loop: also how soon it sees what was queued.
constexpr int kLoopMs = 50;
constexpr int kTimedOut = -1000;

double Seconds() { return std::chrono::duration<double>(Clock::now().time_since_epoch()).count(); }

std::once_flag libraryReady;

}  // namespace

Publisher::Publisher(PublishConfig config, Listener listener)
    : config_(std::move(config)), listener_(std::move(listener)), outbox_(config_.queueBytes),
      thinning_(config_.traceIntervalSeconds)
{
}

Publisher::~Publisher()
{
    Stop(std::chrono::milliseconds(0));
    if (mosq_)
        mosquitto_destroy(mosq_);
}

std::string Publisher::Open()
{
    std::call_once(libraryReady, [] { mosquitto_lib_init(); });
    mosq_ = mosquitto_new(nullptr, true, this);
    if (!mosq_)
        return "the MQTT client could not be set up (out of memory)";
    mosquitto_connect_callback_set(mosq_, OnConnect);
    mosquitto_disconnect_callback_set(mosq_, OnDisconnect);
    mosquitto_publish_callback_set(mosq_, OnPublish);
    mosquitto_log_callback_set(mosq_, OnLog);
    if (!config_.user.empty() &&
        mosquitto_username_pw_set(mosq_, config_.user.c_str(),
                                  config_.password.empty() ? nullptr : config_.password.c_str()) != MOSQ_ERR_SUCCESS)
        return "the MQTT user name or password is too long or not UTF-8";
    if (config_.tls) {
        const int rc = config_.caFile.empty()
                           ? mosquitto_int_option(mosq_, MOSQ_OPT_TLS_USE_OS_CERTS, 1)
                           : mosquitto_tls_set(mosq_, config_.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS)
            return config_.caFile.empty() ? std::string("TLS cannot be set up: ") + mosquitto_strerror(rc)
                                          : "the CA file " + config_.caFile + " cannot be read";
    }
    return {};
}

std::string Publisher::Topic(const std::string &serial, const char *leaf) const
{
    return config_.topicPrefix + "/" + TopicLevel(serial) + "/" + leaf;
}

void Publisher::SetAnalyzer(const std::string &serial)
{
    bool start = false;
    {
        std::lock_guard lock(mutex_);
        if (stopping_ || !mosq_ || serial.empty() || serial == serial_)
            return;
        start = serial_.empty();
        serial_ = serial;
        statusDirty_ = true;
    }
    if (start)
        thread_ = std::thread([this] { Run(); });
    wake_.notify_all();
}

void Publisher::SetStatus(PublishedStatus status)
{
    std::lock_guard lock(mutex_);
    if (stopping_ || status == status_)
        return;
    status_ = status;
    statusDirty_ = true;
}

void Publisher::Trace(const TraceRecord &record, uint64_t seq)
{
    std::string serial;
    {
        std::lock_guard lock(mutex_);
        if (stopping_ || serial_.empty() || !thinning_.Take(Seconds()))
            return;
        serial = serial_;
    }
    // Made outside the lock: the network thread never waits for JSON being written.
    OutMessage trace{Topic(serial, "trace"), TracePayload(record, serial, seq)};
    OutMessage peak{Topic(serial, "peak"), PeakPayload(record, serial, seq)};
    std::lock_guard lock(mutex_);
    Enqueue(std::move(trace));
    Enqueue(std::move(peak));
}

void Publisher::Limits(std::time_t time, const std::vector<LimitLineReport> &lines)
{
    std::string serial;
    {
        std::lock_guard lock(mutex_);
        if (stopping_ || serial_.empty() || !limitRhythm_.Take(lines, Seconds()))
            return;
        serial = serial_;
    }
    OutMessage limit{Topic(serial, "limit"), LimitPayload(serial, time, lines)};
    std::lock_guard lock(mutex_);
    Enqueue(std::move(limit));
}

void Publisher::Enqueue(OutMessage message)
{
    ++counts_.handed;
    if (config_.qos == 0 && away_) {
        ++counts_.dropped;
        return;
    }
    const uint64_t before = outbox_.Dropped();
    outbox_.Push(std::move(message));
    counts_.dropped += outbox_.Dropped() - before;
}

void Publisher::Stop(std::chrono::milliseconds drain)
{
    {
        std::lock_guard lock(mutex_);
        if (stopping_)
            return;
        stopping_ = true;
        stopBy_ = Clock::now() + drain;
        if (status_ != PublishedStatus::Offline)
            status_ = PublishedStatus::Offline, statusDirty_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

PublishCounts Publisher::Counts() const
{
    std::lock_guard lock(mutex_);
    return counts_;
}

void Publisher::Run()
{
    int delay = 1;
    for (bool first = true;; first = false) {
        std::string serial;
        {
            std::lock_guard lock(mutex_);
            serial = serial_;
        }
        const bool reached = Session(serial, first);
        std::unique_lock lock(mutex_);
        connected_ = false;
        if (stopping_)
            return;
        if (serial_ != serial)
            continue;  // another analyzer: at once, with its own will
        away_ = true;
        if (reached)
            delay = 1;
        wake_.wait_for(lock, std::chrono::seconds(delay), [&] { return stopping_ || serial_ != serial; });
        if (stopping_)
            return;
        delay = std::min(delay * 2, kMaxBackoffSeconds);
    }
}

// One connection, from the attempt until it ends; whether the broker took it.
bool Publisher::Session(const std::string &serial, bool first)
{
    const std::string will = Topic(serial, "status");
    mosquitto_will_set(mosq_, will.c_str(), 7, "offline", 1, true);
    refused_ = false;
    lastLogError_.clear();
    int rc = first ? mosquitto_connect_async(mosq_, config_.host.c_str(), config_.port, kKeepAliveSeconds)
                   : mosquitto_reconnect_async(mosq_);
    int savedErrno = errno;
    const Clock::time_point started = Clock::now();
    Goodbye goodbye;
    std::optional<Clock::time_point> closedBy;
    bool reached = false;
    while (rc == MOSQ_ERR_SUCCESS) {
        rc = mosquitto_loop(mosq_, kLoopMs, 1);
        savedErrno = errno;
        if (rc != MOSQ_ERR_SUCCESS)
            break;
        bool connected = false, stopping = false;
        {
            std::lock_guard lock(mutex_);
            connected = connected_, stopping = stopping_;
        }
        reached |= connected;
        if (!connected && (stopping || (!reached && Clock::now() - started > kConnectTimeout))) {
            rc = stopping ? MOSQ_ERR_SUCCESS : kTimedOut;
            break;
        }
        if (connected && !closedBy && Service(serial, goodbye)) {
            mosquitto_disconnect(mosq_);
            closedBy = Clock::now() + kGoodbyeTimeout;
        }
        if (closedBy && Clock::now() > *closedBy)
            break;
    }
    bool quiet = false;
    {
        std::lock_guard lock(mutex_);
        quiet = stopping_ || serial_ != serial;
    }
    if (!quiet && !refused_)
        Tell(reached || told_ == BrokerState::Connected || told_ == BrokerState::Lost ? BrokerState::Lost
                                                                                      : BrokerState::Unreachable,
             ErrorText(rc, savedErrno));
    return reached;
}

// While connected: what waits in the outbox, the status when it changed, and the goodbye when the
// publisher stops or the analyzer changes: offline on the status topic after everything else,
// and the disconnection once the broker has acknowledged it all (a message still in flight would
// be sent again on the next connection, a second time). True when it is time to disconnect.
bool Publisher::Service(const std::string &serial, Goodbye &goodbye)
{
    std::vector<OutMessage> batch;
    std::optional<PublishedStatus> status;
    bool leaving = false, late = false;
    {
        std::lock_guard lock(mutex_);
        const bool switching = serial_ != serial;
        leaving = switching || stopping_;
        if (leaving && !goodbye.by)
            goodbye.by = switching ? Clock::now() + kGoodbyeTimeout : stopBy_;
        late = leaving && Clock::now() >= *goodbye.by;
        // Switching, what waits goes out on the new analyzer's connection.
        while (!switching && dataInFlight_ + batch.size() < kMaxInFlight) {
            std::optional<OutMessage> m = outbox_.Pop();
            if (!m)
                break;
            batch.push_back(std::move(*m));
        }
        if (!leaving && statusDirty_)
            status = status_, statusDirty_ = false;
        else if (leaving && !goodbye.said && (switching || outbox_.Empty() || late))
            status = PublishedStatus::Offline, goodbye.said = true;
    }
    for (const OutMessage &m : batch) {
        int mid = 0;
        const int rc = mosquitto_publish(mosq_, &mid, m.topic.c_str(), static_cast<int>(m.payload.size()),
                                         m.payload.data(), config_.qos, false);
        // At QoS 1 a message the connection lost meanwhile stays with the library, sent again on
        // reconnection; anything else that fails is gone.
        std::lock_guard lock(mutex_);
        if (rc == MOSQ_ERR_SUCCESS || (rc == MOSQ_ERR_NO_CONN && config_.qos == 1))
            ++dataInFlight_;
        else
            ++counts_.dropped;
    }
    if (status)
        PublishStatus(serial, *status);
    std::lock_guard lock(mutex_);
    return goodbye.said && (late || (dataInFlight_ == 0 && statusMids_.empty()));
}

void Publisher::PublishStatus(const std::string &serial, PublishedStatus status)
{
    const std::string topic = Topic(serial, "status");
    const char *text = PublishedStatusText(status);
    int mid = 0;
    if (mosquitto_publish(mosq_, &mid, topic.c_str(), static_cast<int>(std::strlen(text)), text, 1, true) ==
        MOSQ_ERR_SUCCESS)
        statusMids_.insert(mid);
}

void Publisher::Tell(BrokerState state, const std::string &reason)
{
    if (state == told_)
        return;
    told_ = state;
    if (listener_)
        listener_({state, reason});
}

std::string Publisher::ErrorText(int rc, int savedErrno) const
{
    switch (rc) {
    case kTimedOut:
        return "no answer within " + std::to_string(kConnectTimeout.count()) + " s";
    case MOSQ_ERR_ERRNO:
        return std::strerror(savedErrno);
    case MOSQ_ERR_EAI:
        return "the host name " + config_.host + " is not known";
    case MOSQ_ERR_TLS:
        return lastLogError_.empty() ? "TLS failed" : "TLS failed: " + lastLogError_;
    default:
        return mosquitto_strerror(rc);
    }
}

void Publisher::OnConnect(mosquitto *, void *self, int rc)
{
    auto *p = static_cast<Publisher *>(self);
    if (rc != 0) {
        p->refused_ = true;
        p->Tell(BrokerState::Refused, mosquitto_connack_string(rc));
        return;
    }
    {
        std::lock_guard lock(p->mutex_);
        p->connected_ = true;
        p->away_ = false;
        p->counts_.everConnected = true;
        p->statusDirty_ = true;  // the will may have said offline meanwhile
    }
    p->Tell(BrokerState::Connected, {});
}

void Publisher::OnDisconnect(mosquitto *, void *self, int)
{
    auto *p = static_cast<Publisher *>(self);
    std::lock_guard lock(p->mutex_);
    p->connected_ = false;
    if (p->config_.qos == 0) {
        // What was not written yet is thrown away with the connection.
        p->counts_.dropped += p->dataInFlight_;
        p->dataInFlight_ = 0;
    }
}

void Publisher::OnPublish(mosquitto *, void *self, int mid)
{
    auto *p = static_cast<Publisher *>(self);
    if (p->statusMids_.erase(mid))
        return;
    std::lock_guard lock(p->mutex_);
    if (p->dataInFlight_ > 0)
        --p->dataInFlight_;
    ++p->counts_.delivered;
}

void Publisher::OnLog(mosquitto *, void *self, int level, const char *text)
{
    // OpenSSL's reason for a failed handshake reaches us only here.
    if (level & MOSQ_LOG_ERR)
        static_cast<Publisher *>(self)->lastLogError_ = text;
}

}  // namespace tavrin
