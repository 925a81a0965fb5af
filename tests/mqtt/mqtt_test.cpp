// The publisher and tavrin-cli sweep --mqtt against a real broker: every topic and payload, the
// retained status and the last will, a broker away mid-sweep, a full queue, a refused login, no
// broker at all, and TLS checked against a CA file.
#include "broker.h"
#include "cli/cli_fixture.h"
#include "publish/publisher.h"

#include <algorithm>
#include <ranges>
#include <set>

namespace tavrin::test {
namespace {

using Messages = std::vector<Received>;
using namespace std::chrono_literals;

bool WaitUntil(const std::function<bool()> &done, std::chrono::seconds limit)
{
    for (const auto end = std::chrono::steady_clock::now() + limit; !done(); std::this_thread::sleep_for(10ms))
        if (std::chrono::steady_clock::now() > end)
            return false;
    return true;
}

// Whether n messages of topics ending in leaf have come; the sequence numbers of messages.
auto Has(const std::string &leaf, size_t n)
{
    return [leaf, n](const Messages &all) {
        return size_t(std::ranges::count_if(all, [&](const Received &r) { return r.topic.ends_with(leaf); })) >= n;
    };
}
std::set<long> Seqs(const Messages &of)
{
    std::set<long> seqs;
    for (const Received &r : of)
        seqs.insert(Seq(r.payload));
    return seqs;
}
std::set<long> Span(long first, long last)
{
    const auto all = std::views::iota(first, last + 1);
    return {all.begin(), all.end()};
}

// What a publisher told, in order.
struct Told {
    std::mutex mutex;
    std::vector<BrokerEvent> events;
    Publisher::Listener Listener()
    {
        return [this](const BrokerEvent &e) {
            std::lock_guard lock(mutex);
            events.push_back(e);
        };
    }
    std::vector<BrokerEvent> Events()
    {
        std::lock_guard lock(mutex);
        return events;
    }
    bool WaitFor(BrokerState state)
    {
        return WaitUntil([&] {
            const auto e = Events();
            return !e.empty() && e.back().state == state;
        }, 20s);
    }
};

Broker::Options Persistent()
{
    Broker::Options o;
    o.persistent = true;
    return o;
}

// 433.92 MHz at 100 kHz a division, -20 dBm: every point 40 dB down but point 300 at the top.
TraceRecord Record()
{
    TraceRecord r{45658.5, 433.92, FixedText<12>("100KHZ/DIV"), -20, FixedText<8>("30KHZ")};  // 1 Jan 2025, 12:00
    r.points.fill(511);
    r.points[300] = 1023;
    return r;
}

// tavrin-cli as CliTest runs it, beside a broker.
class MqttTest : public CliTest {
protected:
    void StartBroker(const Broker::Options &options = {})
    {
        std::string error;
        ASSERT_TRUE(broker.Start(options, error)) << error;
    }
    PublishConfig Config(const std::string &prefix, int qos, const std::string &url = {})
    {
        PublishConfig c;
        EXPECT_EQ(ReadBrokerUrl(url.empty() ? broker.Url() : url, c), "");
        c.topicPrefix = prefix, c.qos = qos;
        return c;
    }
    size_t Records(const std::string &name) const { return Slurp(Path(name)).size() / 1060; }

    Broker broker{home.Path()};
};

TEST_F(MqttTest, EveryTopicAndPayloadWithTheStatusRetainedAndTheAnalyzerChanged)
{
    StartBroker();
    Subscriber sub(broker.Port(), "site/#");
    ASSERT_TRUE(sub.Connected());
    Told told;
    Publisher p(Config("site/a", 1), told.Listener());
    ASSERT_EQ(p.Open(), "");
    p.SetStatus(PublishedStatus::Online);
    p.SetAnalyzer("SN 7/x");  // one topic level whatever the analyzer calls itself
    ASSERT_TRUE(sub.WaitFor(Has("/status", 1)));  // a status is a state: only the latest one goes out
    p.Trace(Record(), 5);
    const LimitLineReport mask{1, "mask", LimitKind::Upper, {LimitOutcome::Fail, "", -3.5, 433.9, 499}, {2, 10}};
    p.Limits(0, {mask});
    p.Limits(0, {mask});  // no news
    p.SetStatus(PublishedStatus::Acquiring);
    ASSERT_TRUE(sub.WaitFor(Has("/status", 2)));
    ASSERT_TRUE(told.WaitFor(BrokerState::Connected));
    {
        Subscriber late(broker.Port(), "site/#");
        ASSERT_TRUE(late.WaitFor(Has("/status", 1)));
        const Received retained = late.Messages().front();
        EXPECT_EQ(retained.topic + " " + retained.payload, "site/a/SN_7_x/status acquiring");
        EXPECT_TRUE(retained.retained);
    }
    p.SetAnalyzer("SN8");  // another analyzer: the first one's status says offline
    p.Trace(Record(), 1);
    ASSERT_TRUE(sub.WaitFor(Has("SN8/peak", 1)));
    p.Stop(2000ms);
    ASSERT_TRUE(sub.WaitFor(Has("/status", 5)));
    Strings statuses;
    for (const Received &r : sub.Of("status"))
        statuses.push_back(r.topic.substr(7) + " " + r.payload);
    EXPECT_EQ(statuses, (Strings{"SN_7_x/status online", "SN_7_x/status acquiring", "SN_7_x/status offline",
                                 "SN8/status acquiring", "SN8/status offline"}));
    const Messages traces = sub.Of("trace"), peaks = sub.Of("peak"), limits = sub.Of("limit");
    ASSERT_EQ(traces.size(), 2u);
    EXPECT_EQ(traces[0].topic, "site/a/SN_7_x/trace");
    // The payloads' layout is publish_test's; here they carry the analyzer's own name.
    EXPECT_EQ(traces[0].payload.rfind(R"({"serial":"SN 7/x","seq":5,)", 0), 0u) << traces[0].payload.substr(0, 60);
    EXPECT_EQ(peaks.at(1).topic, "site/a/SN8/peak");
    ASSERT_EQ(limits.size(), 1u);
    EXPECT_EQ(limits[0].topic, "site/a/SN_7_x/limit");
    EXPECT_EQ(told.Events().size(), 1u);  // connected; connecting again with the new will is no news
    EXPECT_EQ(p.Counts().delivered, 5u);
}

TEST_F(MqttTest, AKilledSweepLeavesItsLastWillAsTheRetainedStatus)
{
    StartBroker();
    StartSim({});
    Subscriber sub(broker.Port(), "kill/#");
    const pid_t pid = Spawn({"sweep", "--mqtt", broker.Url(), "--mqtt-topic", "kill", "--record", Path("r.spf")});
    ASSERT_TRUE(sub.WaitFor(Has("/trace", 3)));
    EXPECT_EQ(sub.Of("trace").front().topic, "kill/12345/trace");
    kill(pid, SIGKILL);
    EXPECT_EQ(Finish(pid).code, 128 + SIGKILL);
    ASSERT_TRUE(sub.WaitFor([](const Messages &all) { return all.back().payload == "offline"; }));
    Subscriber late(broker.Port(), "kill/+/status");
    ASSERT_TRUE(late.WaitFor(Has("/status", 1)));
    EXPECT_EQ(late.Messages().front().payload, "offline");
    EXPECT_TRUE(late.Messages().front().retained);
    EXPECT_EQ(sub.Of("status").front().payload, "acquiring");
}

// The line's 5.6 traces a second go on while the broker is away for ten seconds (56 traces); at
// QoS 1 every one reaches the subscriber once the broker is back, and the record file has them all.
TEST_F(MqttTest, ABrokerAwayTenSecondsMidSweepLosesNothingAtQos1)
{
    StartBroker(Persistent());
    StartSim({}, true);
    Subscriber sub(broker.Port(), "away/#", "tavrin-test-away");
    const pid_t pid = Spawn({"sweep", "--mqtt", broker.Url(), "--mqtt-qos", "1", "--mqtt-topic", "away", "--record",
                             Path("r.spf")});
    ASSERT_TRUE(sub.WaitFor(Has("/trace", 5)));
    broker.Stop();
    const size_t away = Records("r.spf");
    EXPECT_TRUE(WaitUntil([&] { return Records("r.spf") >= away + 56; }, 40s));
    StartBroker(Persistent());
    const long back = long(Records("r.spf"));
    EXPECT_TRUE(sub.WaitFor([&](const Messages &all) {
        const std::set<long> traces = Seqs(Only(all, "trace"));
        return !traces.empty() && *traces.rbegin() >= back + 5;
    }, 60s));
    kill(pid, SIGINT);
    const Ran r = Finish(pid);
    EXPECT_EQ(r.code, 0) << r.err;
    const std::string spf = Slurp(Path("r.spf"));
    EXPECT_EQ(spf.size() % 1060, 0u);
    const long n = long(spf.size() / 1060);
    ASSERT_TRUE(sub.WaitFor([](const Messages &all) { return all.back().payload == "offline"; }));
    EXPECT_EQ(Seqs(sub.Of("trace")), Span(1, n));
    EXPECT_EQ(Seqs(sub.Of("peak")), Span(1, n));
    EXPECT_EQ(Count(r.err, "MQTT: lost the broker"), 1u) << r.err;
    EXPECT_EQ(Count(r.err, "MQTT: connected"), 2u) << r.err;
}

TEST_F(MqttTest, PastItsBoundTheQueueKeepsTheNewestAndQos0DropsWhileAway)
{
    StartBroker(Persistent());
    { Subscriber session(broker.Port(), "bound/#", "tavrin-test-bound"); }  // kept by the broker
    broker.Stop();
    Told told;
    PublishConfig c = Config("bound", 1);
    c.queueBytes = 10000;  // four traces of about 2.2 kB with their peaks
    Publisher p(c, told.Listener());
    ASSERT_EQ(p.Open(), "");
    p.SetAnalyzer("SN");
    ASSERT_TRUE(told.WaitFor(BrokerState::Unreachable));
    for (uint64_t seq = 1; seq <= 10; ++seq)
        p.Trace(Record(), seq);
    StartBroker(Persistent());
    Subscriber sub(broker.Port(), "bound/#", "tavrin-test-bound");
    ASSERT_TRUE(sub.WaitFor([](const Messages &all) {
        return Seqs(Only(all, "trace")).count(10) && Seqs(Only(all, "peak")).count(10);
    }, 40s));
    p.Stop(2000ms);
    const std::set<long> traces = Seqs(sub.Of("trace")), peaks = Seqs(sub.Of("peak"));
    EXPECT_EQ(traces, Span(*traces.begin(), 10));
    EXPECT_EQ(peaks, Span(*peaks.begin(), 10));
    EXPECT_GE(traces.size(), 3u);
    EXPECT_LE(traces.size(), 5u);
    const PublishCounts counts = p.Counts();
    EXPECT_EQ(counts.handed, 20u);
    EXPECT_EQ(counts.delivered, traces.size() + peaks.size());
    EXPECT_EQ(counts.dropped, 20 - counts.delivered);

    Told tried;
    Publisher zero(Config("zero", 0, "mqtt://127.0.0.1:" + std::to_string(FreeLoopbackPort())), tried.Listener());
    ASSERT_EQ(zero.Open(), "");
    zero.SetAnalyzer("SN");
    ASSERT_TRUE(tried.WaitFor(BrokerState::Unreachable));
    EXPECT_NE(tried.Events().back().reason.find("Connection refused"), std::string::npos);
    for (uint64_t seq = 1; seq <= 3; ++seq)
        zero.Trace(Record(), seq);
    zero.Stop(0ms);
    EXPECT_EQ(zero.Counts().dropped, 6u);
    EXPECT_FALSE(zero.Counts().everConnected);
}

TEST_F(MqttTest, AWrongPasswordOrNoBrokerIsToldOnceAndTheSweepGoesOn)
{
    ASSERT_EQ(MakePasswordFile(Path("passwd"), "meter", "right one"), "");
    Broker::Options login;
    login.passwordFile = Path("passwd");
    StartBroker(login);
    StartSim({}, true);
    std::ofstream(Path("wrong")) << "wrong one\n";
    Subscriber sub(broker.Port(), "tavrin/#", "", "meter", "right one");
    ASSERT_TRUE(sub.Connected());
    const std::string nobody = "mqtt://127.0.0.1:" + std::to_string(FreeLoopbackPort());
    struct Case { Strings args; const char *environment; int code; std::string said; };
    const Case cases[] = {
        {{"--mqtt", broker.Url(), "--mqtt-user", "meter", "--mqtt-password-file", Path("wrong")}, nullptr, 6,
         "refused the login (Connection Refused: not authorised.)"},
        {{"--mqtt", broker.Url(), "--mqtt-user", "meter"}, "right one", 0, "MQTT: connected to " + broker.Url()},
        {{"--mqtt", nobody}, nullptr, 6, "the broker " + nobody + " cannot be reached (Connection refused)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.said);
        ScopedEnv password("TAVRIN_MQTT_PASSWORD", c.environment);
        Strings args = {"sweep", "--count", "12", "--record", Path(std::to_string(c.code) + c.said.substr(0, 4))};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Ran r = Finish(Spawn(args));  // about two seconds: the refused login is tried again meanwhile
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(Count(r.err, c.said), 1u) << r.err;
        EXPECT_EQ(Count(r.err, "tavrin-cli: "), c.code ? 2u : 1u) << r.err;  // and the summary at the end
        EXPECT_EQ(Records(std::to_string(c.code) + c.said.substr(0, 4)), 12u);
    }
    EXPECT_EQ(sub.Of("trace").size(), 12u);  // the run that logged in
}

TEST_F(MqttTest, ATlsBrokerIsCheckedAgainstTheCaFile)
{
    const std::string make =
        "cd '" + home.Path() + "' && for n in ca other; do " TAVRIN_OPENSSL_PATH
        " req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout $n.key -out $n.crt -days 2"
        " -subj /CN=$n; done && " TAVRIN_OPENSSL_PATH " req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes"
        " -keyout srv.key -out srv.csr -subj /CN=127.0.0.1 && echo subjectAltName=IP:127.0.0.1 > ext && " TAVRIN_OPENSSL_PATH
        " x509 -req -in srv.csr -CA ca.crt -CAkey ca.key -CAcreateserial -out srv.crt -days 2 -extfile ext 2>/dev/null";
    ASSERT_EQ(std::system(("(" + make + ") >/dev/null 2>&1").c_str()), 0) << make;
    Broker::Options tls;
    tls.caFile = Path("ca.crt"), tls.certFile = Path("srv.crt"), tls.keyFile = Path("srv.key");
    StartBroker(tls);
    const std::string url = "mqtts://127.0.0.1:" + std::to_string(broker.Port());
    for (const char *ca : {"ca.crt", "other.crt"}) {
        Told told;
        PublishConfig c = Config("tls", 1, url);
        c.caFile = Path(ca);
        Publisher p(c, told.Listener());
        ASSERT_EQ(p.Open(), "");
        p.SetAnalyzer("SN");
        const bool trusted = std::string(ca) == "ca.crt";
        ASSERT_TRUE(told.WaitFor(trusted ? BrokerState::Connected : BrokerState::Unreachable)) << ca;
        if (!trusted) {
            EXPECT_NE(told.Events().back().reason.find("certificate verify failed"), std::string::npos)
                << told.Events().back().reason;
        }
    }
    PublishConfig missing = Config("tls", 1, url);
    missing.caFile = Path("none.crt");
    EXPECT_EQ(Publisher(missing, {}).Open(), "the CA file " + Path("none.crt") + " cannot be read");
}

}  // namespace
}  // namespace tavrin::test
