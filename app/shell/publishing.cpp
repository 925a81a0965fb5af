#include "shell/publishing.h"

#include "common/text_number.h"
#include "record/record_file.h"
#include "session/session.h"

#include <cctype>

namespace tavrin {

namespace {

// A message of the publish code ("the broker's URL starts with ...") as a sentence of ours.
std::string Sentence(std::string text)
{
    if (!text.empty())
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    if (!text.empty() && text.back() != '.')
        text += '.';
    return text;
}

// The lines switched on with their verdicts on the newest trace and their counters.
std::vector<LimitLineReport> LimitReports(const LimitTest &limits)
{
    std::vector<LimitLineReport> reports;
    for (size_t k = 0; k < limits.Lines().size(); ++k) {
        const LimitLine &line = limits.Lines()[k];
        if (!LimitLineOn(line))
            continue;
        LimitLineReport r{static_cast<int>(k + 1), TrimSpaces(line.selector), line.kind, {}, limits.Count(k)};
        if (const std::optional<LimitVerdict> &verdict = limits.Verdicts()[k])
            r.verdict = *verdict;
        else
            r.verdict.reason = "no trace judged";
        reports.push_back(std::move(r));
    }
    return reports;
}

}  // namespace

std::string TopicPrefixOf(const PublishSettings &settings)
{
    const std::string prefix = TrimSpaces(settings.topicPrefix);
    return prefix.empty() ? DefaultTopicPrefix() : prefix;
}

std::string PublishConfigOf(const PublishSettings &s, PublishConfig &config)
{
    config = PublishConfig{};
    if (std::string why = ReadBrokerUrl(TrimSpaces(s.brokerUrl), config); !why.empty())
        return Sentence(why);
    config.topicPrefix = TopicPrefixOf(s);
    if (std::string why = CheckTopicPrefix(config.topicPrefix); !why.empty())
        return Sentence(why);
    if (s.qos != 0 && s.qos != 1)
        return "The QoS is 0 or 1.";
    config.qos = s.qos;
    if (!(s.intervalSeconds >= 0 && s.intervalSeconds <= kMostPublishIntervalSeconds))
        return "The interval is a number of seconds from 0 (every trace) to " +
               std::to_string(static_cast<int>(kMostPublishIntervalSeconds)) + ".";
    config.traceIntervalSeconds = s.intervalSeconds;
    config.user = TrimSpaces(s.user);
    const std::string passwordFile = TrimSpaces(s.passwordFile);
    if (!passwordFile.empty()) {
        if (config.user.empty())
            return "A password goes with a user name: give the user name too, or no password file.";
        if (std::string why = ReadSecretFile(passwordFile, config.password); !why.empty())
            return "The password was not read: " + why + ". Give a file whose first line is the password.";
    }
    config.caFile = TrimSpaces(s.caFile);
    if (!config.caFile.empty() && !config.tls)
        return "A CA file is for a TLS broker: give an mqtts:// URL, or no CA file.";
    return {};
}

PublishedStatus PublishedStatusOf(LinkState state)
{
    switch (state) {
    case LinkState::Acquiring:
        return PublishedStatus::Acquiring;
    case LinkState::NoAnswer:
        return PublishedStatus::NoAnswer;
    case LinkState::LineLost:
    case LinkState::Reconnecting:
        return PublishedStatus::LineLost;
    case LinkState::NotConnected:
    case LinkState::Connected:
    case LinkState::Checking:
        break;
    }
    return PublishedStatus::Online;  // the program runs, the acquisition is stopped
}

Publishing::Publishing(Session &session, Timers &timers, QObject *parent)
    : QObject(parent), session_(session), lineWatch_(timers)
{
    connect(&session_, &Session::changed, this, [this](SessionPart part) {
        if (part == SessionPart::Line)
            FollowLine();
    });
}

Publishing::~Publishing() { Stop(std::chrono::milliseconds(0)); }

std::string Publishing::Apply(const PublishSettings &settings)
{
    if (!settings.on) {
        Stop(kSwitchDrain);
        Say({});
        return {};
    }
    // The same settings again: a dashboard would otherwise see the analyzer go offline and back.
    if (publisher_ && settings == applied_)
        return {};
    PublishConfig config;
    std::string why = PublishConfigOf(settings, config);
    // Stop below makes this generation the current one.
    auto publisher = std::make_unique<Publisher>(config, [this, generation = generation_ + 1](const BrokerEvent &e) {
        // On the publisher's thread: told on ours, where the publisher is stopped before it goes.
        QMetaObject::invokeMethod(this, [this, generation, e] { Told(generation, e); }, Qt::QueuedConnection);
    });
    if (why.empty())
        why = Sentence(publisher->Open());
    if (!why.empty()) {
        // Settings that cannot be used leave publishing as it was.
        if (!publisher_)
            Say(QString::fromStdString("Publishing is off: " + why + " Setting > Publish... to change it."));
        return why;
    }
    Stop(kSwitchDrain);
    config_ = config;
    applied_ = settings;
    publisher_ = std::move(publisher);
    serial_.clear();
    seq_ = 0;
    limitsOn_ = false;
    feed_ = session_.Bus().Connect([this](const TracePtr &t) { Take(t); });
    Say(QString::fromStdString("Publishing to " + BrokerName(config_) + " once the analyzer has answered Start"));
    FollowLine();
    return {};
}

void Publishing::Stop(std::chrono::milliseconds drain)
{
    ++generation_;
    lineWatch_.Stop();
    feed_.Disconnect();
    if (publisher_)
        publisher_->Stop(drain);
    publisher_.reset();
}

void Publishing::Take(const TracePtr &t)
{
    if (!publisher_ || t->kind == TraceKind::Playback)
        return;
    publisher_->Trace(MakeRecord(t->time, t->settings, t->points), ++seq_);
    // The limit test, an earlier sink of the bus, has judged this trace already.
    std::vector<LimitLineReport> limits = LimitReports(session_.Limits());
    if (!limits.empty() || limitsOn_)
        publisher_->Limits(t->time, limits);
    limitsOn_ = !limits.empty();
}

void Publishing::FollowLine()
{
    if (!publisher_)
        return;
    publisher_->SetStatus(PublishedStatusOf(session_.Status().state));
    const std::string &serial = session_.Line().Serial();
    if (!serial.empty() && serial != serial_) {
        serial_ = serial;
        publisher_->SetAnalyzer(serial);
        Say(QString::fromStdString("Publishing: connecting to " + BrokerName(config_)));
    }
    lineWatch_.Start(kLineEvery, [this] { FollowLine(); });
}

void Publishing::Told(uint64_t generation, const BrokerEvent &e)
{
    if (generation != generation_ || !publisher_)
        return;
    const std::string broker = BrokerName(config_);
    const std::string topics = config_.topicPrefix + "/" + TopicLevel(serial_) + "/...";
    std::string text;
    switch (e.state) {
    case BrokerState::Connecting:
        return;
    case BrokerState::Connected:
        text = "Publishing to " + broker + " as " + topics;
        break;
    case BrokerState::Unreachable:
        text = "Publishing: " + broker + " cannot be reached (" + e.reason + "); trying again";
        break;
    case BrokerState::Lost:
        text = "Publishing: lost " + broker + " (" + e.reason + "); trying again, " +
               (config_.qos ? "the newest traces kept for it" : "traces dropped meanwhile (QoS 0)");
        break;
    case BrokerState::Refused:
        text = "Publishing: " + broker + " refused the login (" + e.reason +
               "); check the user name and password file in Setting > Publish...";
        break;
    }
    Say(QString::fromStdString(text));
}

void Publishing::Say(const QString &text)
{
    if (text == text_)
        return;
    text_ = text;
    emit textChanged(text_);
}

}  // namespace tavrin
