// Where and how traces are published over MQTT: the broker from its URL, the topic tree, the
// credentials, and the words of the link's state on the status topic. No network here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavrin {

// What is kept for the broker while it is away at QoS 1: about 1,700 traces with their peaks,
// five minutes at the line's full rate.
inline constexpr size_t kDefaultQueueBytes = size_t{8} << 20;

struct PublishConfig {
    std::string host;
    int port = 1883;
    bool tls = false;    // mqtts://
    std::string caFile;  // the CA certificates a TLS broker is checked against; "" the system's
    std::string user;    // "" none
    std::string password;
    std::string topicPrefix;  // <prefix>/<serial>/trace ...
    int qos = 0;              // 0 or 1
    double traceIntervalSeconds = 0;  // at most one trace (and its peak) per interval; 0 every trace
    size_t queueBytes = kDefaultQueueBytes;
};

// "mqtt://host[:port]" (1883) or "mqtts://host[:port]" (8883), the host a name, an IPv4 address or
// an IPv6 one in brackets; a trailing '/' is allowed. Fills host, port and tls: "" or why not.
std::string ReadBrokerUrl(std::string_view url, PublishConfig &config);
// "mqtt://host:port" of the configuration, for messages.
std::string BrokerName(const PublishConfig &config);

// Text as one topic level: letters, digits, '-', '_' and '.' kept, anything else '_'; "unknown"
// for nothing. A serial number or a host name can then never add a level or a wildcard.
std::string TopicLevel(std::string_view text);
// "tavrin/<this computer's host name>".
std::string DefaultTopicPrefix();
// A prefix given by the user: levels of any printable characters but the wildcards, no empty
// level, no trailing '/'. "" or why not.
std::string CheckTopicPrefix(std::string_view prefix);

// The first line of a file (a password), without its line end: "" or why not.
std::string ReadSecretFile(const std::string &path, std::string &secret);

// The analyzer's link as the retained status topic tells it.
enum class PublishedStatus { Online, Acquiring, NoAnswer, LineLost, Offline };
// "online", "acquiring", "no answer", "line lost", "offline".
const char *PublishedStatusText(PublishedStatus status);

}  // namespace tavrin
