#include "publish/publish_config.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <unistd.h>

namespace tavrin {

namespace {

bool AllDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool HostCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_';
}

}  // namespace

std::string ReadBrokerUrl(std::string_view url, PublishConfig &config)
{
    const std::string given(url);
    std::string_view rest = url;
    if (rest.substr(0, 7) == "mqtt://") {
        config.tls = false, config.port = 1883, rest.remove_prefix(7);
    } else if (rest.substr(0, 8) == "mqtts://") {
        config.tls = true, config.port = 8883, rest.remove_prefix(8);
    } else {
        return "the broker's URL starts with mqtt:// or mqtts://, as in mqtt://broker.example.org:1883, not \"" +
               given + "\"";
    }
    if (!rest.empty() && rest.back() == '/')
        rest.remove_suffix(1);
    if (rest.find('@') != std::string_view::npos)
        return "the broker's URL holds a user name or password (\"@\"): give them apart, the password in a file "
               "or in the environment, never in the URL, which every user of the computer can read";
    std::string_view host = rest, port;
    if (!rest.empty() && rest.front() == '[') {
        const size_t close = rest.find(']');
        if (close == std::string_view::npos)
            return "the IPv6 address of \"" + given + "\" lacks its closing ]";
        host = rest.substr(1, close - 1);
        rest.remove_prefix(close + 1);
        if (!rest.empty() && rest.front() != ':')
            return "\"" + given + "\" has something after the address that is not a port";
        port = rest.empty() ? rest : rest.substr(1);
        if (host.empty() || host.find_first_not_of("0123456789abcdefABCDEF:.") != std::string_view::npos)
            return std::string("\"").append(host).append("\" is not an IPv6 address");
    } else {
        const size_t colon = rest.find(':');
        host = rest.substr(0, colon);
        port = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
        if (host.empty() || !std::all_of(host.begin(), host.end(), HostCharacter))
            return "\"" + given + "\" names no broker host (mqtt://HOST:PORT)";
    }
    if (!port.empty() || rest.find(':') != std::string_view::npos) {
        if (!AllDigits(port) || port.size() > 5 || std::stoi(std::string(port)) < 1 ||
            std::stoi(std::string(port)) > 65535)
            return "the port of \"" + given + "\" is not a number from 1 to 65535";
        config.port = std::stoi(std::string(port));
    }
    config.host = host;
    return {};
}

std::string BrokerName(const PublishConfig &config)
{
    const bool v6 = config.host.find(':') != std::string::npos;
    return std::string(config.tls ? "mqtts://" : "mqtt://") + (v6 ? "[" + config.host + "]" : config.host) + ":" +
           std::to_string(config.port);
}

std::string TopicLevel(std::string_view text)
{
    std::string level;
    for (char c : text)
        level += HostCharacter(c) ? c : '_';
    return level.empty() ? "unknown" : level;
}

std::string DefaultTopicPrefix()
{
    std::array<char, 256> name{};
    if (gethostname(name.data(), name.size() - 1) != 0)
        name[0] = '\0';
    return "tavrin/" + TopicLevel(name.data());
}

std::string CheckTopicPrefix(std::string_view prefix)
{
    const std::string given(prefix);
    if (prefix.empty())
        return "the topic prefix is empty: give one such as tavrin/site1";
    if (prefix.find_first_of("+#") != std::string_view::npos)
        return "the topic prefix \"" + given + "\" holds a wildcard (+ or #), which no published topic may";
    if (prefix.front() == '/' || prefix.back() == '/' || prefix.find("//") != std::string_view::npos)
        return "the topic prefix \"" + given + "\" has an empty level (a '/' at an end or two in a row)";
    if (std::any_of(prefix.begin(), prefix.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
        return "the topic prefix holds a control character";
    return {};
}

std::string ReadSecretFile(const std::string &path, std::string &secret)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return path + ": " + std::strerror(errno);
    std::string line;
    std::getline(in, line);
    if (in.bad())
        return path + ": " + std::strerror(errno);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (line.empty())
        return path + " is empty: its first line is the password";
    secret = line;
    return {};
}

const char *PublishedStatusText(PublishedStatus status)
{
    switch (status) {
    case PublishedStatus::Online:
        return "online";
    case PublishedStatus::Acquiring:
        return "acquiring";
    case PublishedStatus::NoAnswer:
        return "no answer";
    case PublishedStatus::LineLost:
        return "line lost";
    case PublishedStatus::Offline:
        break;
    }
    return "offline";
}

}  // namespace tavrin
