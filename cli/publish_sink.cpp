#include "cli/publish_sink.h"

#include "cli/session.h"

#include <cstdlib>

namespace tavrin::cli {

namespace {

// How long a finished sweep waits for what is still queued to reach the broker.
constexpr std::chrono::seconds kDrain(5);

const char *const kMqttOptions[] = {"mqtt-topic", "mqtt-qos", "mqtt-user", "mqtt-password-file", "mqtt-ca",
                                    "mqtt-interval"};

// The --mqtt options; "" or the usage error.
std::string ReadConfig(const CommandLine &line, PublishConfig &config)
{
    if (std::string why = ReadBrokerUrl(line.Value("mqtt"), config); !why.empty())
        return "--mqtt: " + why;
    config.topicPrefix = line.Has("mqtt-topic") ? line.Value("mqtt-topic") : DefaultTopicPrefix();
    if (std::string why = CheckTopicPrefix(config.topicPrefix); !why.empty())
        return "--mqtt-topic: " + why;
    if (line.Has("mqtt-qos")) {
        const std::optional<long> qos = ParseInteger(line.Value("mqtt-qos"), 0, 1);
        if (!qos)
            return "--mqtt-qos takes 0 or 1, not \"" + line.Value("mqtt-qos") + "\"";
        config.qos = static_cast<int>(*qos);
    }
    if (line.Has("mqtt-interval")) {
        const std::optional<double> s = ParseNumber(line.Value("mqtt-interval"));
        if (!s || *s <= 0 || *s > 1e9)
            return "--mqtt-interval takes a number of seconds above 0, not \"" + line.Value("mqtt-interval") + "\"";
        config.traceIntervalSeconds = *s;
    }
    if (line.Has("mqtt-user") && line.Value("mqtt-user").empty())
        return "--mqtt-user takes a user name";
    config.user = line.Has("mqtt-user") ? line.Value("mqtt-user") : "";
    if (line.Has("mqtt-ca") && !config.tls)
        return "--mqtt-ca is for a TLS broker: give an mqtts:// URL";
    config.caFile = line.Has("mqtt-ca") ? line.Value("mqtt-ca") : "";
    return {};
}

// The publisher's news, once each, on standard error (from its own thread).
void Tell(const BrokerEvent &e, const std::string &broker, int qos)
{
    switch (e.state) {
    case BrokerState::Connecting:
        break;
    case BrokerState::Connected:
        Complain("MQTT: connected to " + broker + ", publishing.");
        break;
    case BrokerState::Unreachable:
        Complain("MQTT: the broker " + broker + " cannot be reached (" + e.reason +
                 "). The sweep goes on; publishing starts when the broker answers.");
        break;
    case BrokerState::Lost:
        Complain("MQTT: lost the broker " + broker + " (" + e.reason + "). The sweep goes on; " +
                 (qos ? "what it publishes meanwhile waits for the broker (the newest " +
                            std::to_string(kDefaultQueueBytes >> 20) + " MB)."
                      : std::string("what it publishes meanwhile is dropped (QoS 0) until the broker is back.")));
        break;
    case BrokerState::Refused:
        Complain("MQTT: the broker " + broker + " refused the login (" + e.reason +
                 "). Check --mqtt-user and the password (--mqtt-password-file or TAVRIN_MQTT_PASSWORD); "
                 "the sweep goes on.");
        break;
    }
}

}  // namespace

int PublishSink::Open(const CommandLine &line)
{
    if (!line.Has("mqtt")) {
        for (const char *option : kMqttOptions)
            if (line.Has(option)) {
                Complain("--" + std::string(option) + " needs --mqtt URL (tavrin-cli sweep --help tells the options)");
                return kExitUsage;
            }
        return kExitOk;
    }
    if (std::string why = ReadConfig(line, config_); !why.empty()) {
        Complain(why + " (tavrin-cli sweep --help tells the options)");
        return kExitUsage;
    }
    // The password goes with a user name; TAVRIN_MQTT_PASSWORD alone, meant for another broker
    // perhaps, is left alone.
    const char *fromEnvironment = std::getenv("TAVRIN_MQTT_PASSWORD");
    if (line.Has("mqtt-password-file")) {
        if (config_.user.empty()) {
            Complain("an MQTT password goes with a user name: add --mqtt-user NAME");
            return kExitUsage;
        }
        if (std::string why = ReadSecretFile(line.Value("mqtt-password-file"), config_.password); !why.empty()) {
            Complain("the MQTT password was not read: " + why + ".");
            return kExitFile;
        }
    } else if (!config_.user.empty() && fromEnvironment) {
        config_.password = fromEnvironment;
    }
    auto publisher = std::make_unique<Publisher>(
        config_, [broker = BrokerName(config_), qos = config_.qos](const BrokerEvent &e) { Tell(e, broker, qos); });
    if (std::string why = publisher->Open(); !why.empty()) {
        Complain("MQTT: " + why + ".");
        return kExitFile;
    }
    publisher_ = std::move(publisher);
    return kExitOk;
}

void PublishSink::Analyzer(const std::string &serial)
{
    if (!publisher_)
        return;
    publisher_->SetStatus(PublishedStatus::Acquiring);
    publisher_->SetAnalyzer(serial);
}

void PublishSink::Trace(const TraceRecord &record)
{
    ++seq_;
    if (publisher_)
        publisher_->Trace(record, seq_);
}

void PublishSink::Link(PublishedStatus status)
{
    if (publisher_)
        publisher_->SetStatus(status);
}

int PublishSink::Finish(int code)
{
    if (!publisher_)
        return code;
    publisher_->Stop(kDrain);
    const PublishCounts c = publisher_->Counts();
    publisher_.reset();
    if (!c.everConnected) {
        Complain("MQTT: nothing was published: the broker " + BrokerName(config_) + " never took the connection.");
    } else if (c.dropped + c.Undelivered() > 0) {
        Complain("MQTT: " + std::to_string(c.dropped + c.Undelivered()) + " of " + std::to_string(c.handed) +
                 " messages did not reach the broker (" + std::to_string(c.dropped) +
                 " dropped while it was away or past the queue's bound, " + std::to_string(c.Undelivered()) +
                 " still waiting at the end).");
    } else {
        return code;
    }
    return code == kExitOk ? kExitPublish : code;
}

}  // namespace tavrin::cli
