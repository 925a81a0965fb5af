// The socket server with several real clients on the loopback address, against the fake target:
// each client its own answers and errors, addresses refused, and the clients that misbehave
// (a line of a mebibyte, binary garbage, half a line and silence, replies never read) costing the
// others nothing.
#include "fake_target.h"
#include "remote/scpi_server.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <random>

using namespace tavrin::remote;
using tavrin::test::FakeTarget;

namespace {

constexpr int kWaitMs = 10000;

class Client {
public:
    explicit Client(quint16 port, qint64 readBuffer = 0)
    {
        socket.setReadBufferSize(readBuffer);
        socket.connectToHost(QHostAddress::LocalHost, port);
    }
    bool Connected() { return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, kWaitMs); }
    void Send(const QByteArray &bytes) { socket.write(bytes); }
    // The next line, without its newline; "(none)" when none comes.
    std::string Line()
    {
        if (!QTest::qWaitFor([&] { return socket.canReadLine(); }, kWaitMs))
            return "(none)";
        return socket.readLine().chopped(1).toStdString();
    }
    std::string Ask(const QByteArray &line)
    {
        Send(line + "\n");
        return Line();
    }
    bool Closed()
    {
        return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, kWaitMs);
    }

    QTcpSocket socket;
};

class ScpiServerTest : public testing::Test {
protected:
    void Start(ServerLimits limits = {}, const QString &allow = {})
    {
        ServerConfig config;
        config.listen.port = 0;
        config.limits = limits;
        QString error;
        config.allow = *AllowList::Parse(allow, error);
        ASSERT_TRUE(server.Listen(config, error)) << error.toStdString();
    }
    std::unique_ptr<Client> Connect(qint64 readBuffer = 0)
    {
        auto c = std::make_unique<Client>(server.Port(), readBuffer);
        EXPECT_TRUE(c->Connected());
        return c;
    }
    bool NoteSays(const char *words)
    {
        return QTest::qWaitFor([&] {
            for (const QList<QVariant> &n : notes)
                if (n.at(0).toString().contains(words))
                    return true;
            return false;
        }, kWaitMs);
    }

    FakeTarget target;
    ScpiServer server{target};
    QSignalSpy clients{&server, &ScpiServer::clientsChanged};
    QSignalSpy notes{&server, &ScpiServer::note};
};

TEST_F(ScpiServerTest, EachClientHasItsOwnAnswersErrorsAndFormat)
{
    Start();
    std::vector<std::unique_ptr<Client>> c;
    for (int i = 0; i < 4; ++i)
        c.push_back(Connect());
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.Clients() == 4; }, kWaitMs));
    EXPECT_EQ(clients.last().at(0).toInt(), 4);
    target.SetLiveTrace(100);
    // Pipelined, all at once, from every client.
    for (int i = 0; i < 4; ++i)
        for (int n = 0; n < 50; ++n)
            c[i]->Send(i == 1 ? "BOGUS;*TST?\n" : "FREQ:CENT?;*OPC?\n");  // a command error ends its line
    c[2]->Send("FORM REAL,32\n");
    for (int i : {0, 2, 3})
        for (int n = 0; n < 50; ++n)
            ASSERT_EQ(c[i]->Line(), "80000000;1") << i;
    EXPECT_EQ(c[1]->Ask("SYST:ERR:COUN?"), "20");
    EXPECT_EQ(c[1]->Ask("SYST:ERR?"), "-113,\"Undefined header;BOGUS\"");
    EXPECT_EQ(c[0]->Ask("SYST:ERR?"), "0,\"No error\"");
    EXPECT_EQ(c[2]->Ask("TRAC?").substr(0, 6), "#42000");
    EXPECT_EQ(c[3]->Ask("TRAC?").substr(0, 6), "-72.10");
    c[0].reset();
    c[3].reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.Clients() == 2; }, kWaitMs));
    EXPECT_EQ(clients.last().at(0).toInt(), 2);
    EXPECT_EQ(c[2]->Ask("*IDN?"), "Tavrin,Spectrum Analyzer,12345,SW2.07 FPGA1.4");
}

TEST_F(ScpiServerTest, ClientsOutsideTheAllowListAreRefusedWithAMessage)
{
    Start({}, "10.0.0.0/8, ::1");
    Client outsider(server.Port());
    const std::string told = outsider.Line();
    EXPECT_NE(told.find("refused: 127.0.0.1:"), std::string::npos) << told;
    EXPECT_NE(told.find("not among the addresses allowed"), std::string::npos) << told;
    EXPECT_TRUE(outsider.Closed());
    EXPECT_TRUE(NoteSays("refused 127.0.0.1"));
    EXPECT_EQ(server.Clients(), 0);
}

TEST_F(ScpiServerTest, ClientsBeyondTheBoundAreRefused)
{
    ServerLimits limits;
    limits.maxClients = 2;
    Start(limits, "127.0.0.0/8");
    auto a = Connect(), b = Connect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.Clients() == 2; }, kWaitMs));
    Client third(server.Port());
    EXPECT_NE(third.Line().find("2 clients are connected already"), std::string::npos);
    EXPECT_TRUE(third.Closed());
    EXPECT_EQ(a->Ask("*TST?"), "0");
    b.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.Clients() == 1; }, kWaitMs));
    auto again = Connect();
    EXPECT_EQ(again->Ask("*TST?"), "0");
}

TEST_F(ScpiServerTest, AHugeLineAndGarbageCostOnlyTheirSenderAnError)
{
    Start();
    auto abuser = Connect(), other = Connect();
    abuser->Send(QByteArray(1024 * 1024, 'X') + "\n");
    std::mt19937 random(7);
    QByteArray garbage;
    for (int i = 0; i < 64 * 1024; ++i)
        garbage.append(static_cast<char>(random()));
    abuser->Send(garbage + "\n*CLS\n");
    EXPECT_EQ(other->Ask("*IDN?"), "Tavrin,Spectrum Analyzer,12345,SW2.07 FPGA1.4");
    EXPECT_EQ(abuser->Ask("*TST?;:SYST:ERR:COUN?"), "0;0");
    abuser->Send(QByteArray(1024 * 1024, 'X') + "\n");
    EXPECT_EQ(abuser->Ask("SYST:ERR?"), "-100,\"Command error;a line is longer than 65536 bytes; it is thrown away\"");
    EXPECT_EQ(other->Ask("SYST:ERR?"), "0,\"No error\"");
}

TEST_F(ScpiServerTest, AnUnfinishedLineIsThrownAwayAfterTheQuietTime)
{
    ServerLimits limits;
    limits.partialLineMs = 100;
    Start(limits);
    auto quiet = Connect(), other = Connect();
    quiet->Send("FREQ:CENT?;SP");
    ASSERT_TRUE(NoteSays("left a line unfinished"));
    quiet->Send("AN?\n");
    EXPECT_EQ(quiet->Ask("SYST:ERR?"), "-420,\"Query UNTERMINATED;a line was left unfinished (no newline came); it is thrown away, also when the rest comes\"");
    EXPECT_EQ(server.Clients(), 2);
    EXPECT_EQ(other->Ask("*TST?"), "0");
}

TEST_F(ScpiServerTest, AClientThatNeverReadsIsDroppedAndTheOthersGoOn)
{
    ServerLimits limits;
    limits.congestion = 64 * 1024;
    limits.stalledMs = 300;
    Start(limits);
    target.SetLiveTrace(100);
    auto deaf = Connect(4096), other = Connect();
    // Binary replies: the buffers fill at once, even on a slow (sanitized) build.
    QByteArray line = "FORM REAL,32";
    while (line.size() < 60000)
        line += ";TRAC?";
    deaf->Send(line + "\n");
    EXPECT_EQ(other->Ask("*IDN?"), "Tavrin,Spectrum Analyzer,12345,SW2.07 FPGA1.4");
    ASSERT_TRUE(NoteSays("dropped: it has not read its replies"));
    // Once it reads again it finds the connection closed.
    deaf->socket.setReadBufferSize(0);
    deaf->socket.readAll();
    EXPECT_TRUE(deaf->Closed());
    EXPECT_EQ(other->Ask("TRAC:POIN?"), "500");
    EXPECT_EQ(server.Clients(), 1);
}

// A trace and the identity still to come when the client goes: their answers find nobody.
TEST_F(ScpiServerTest, AClientThatLeavesWhileWaitingLeavesNothingBehind)
{
    Start();
    target.hold = true;
    auto leaving = Connect();
    leaving->Send("INIT;*IDN?\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return target.Held() == 2; }, kWaitMs));
    leaving.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.Clients() == 0; }, kWaitMs));
    target.FinishAll();
    target.hold = false;
    EXPECT_EQ(Connect()->Ask("*OPC?"), "1");
}

TEST_F(ScpiServerTest, CommandsSentJustBeforeLeavingStillRun)
{
    Start();
    {
        auto c = Connect();
        c->Send("FREQ:CENT 123 MHz;:INIT:CONT ON\n*IDN?\n");
        ASSERT_TRUE(c->socket.waitForBytesWritten(kWaitMs));
        c->socket.close();
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return target.calls.size() == 3 && server.Clients() == 0; }, kWaitMs));
    EXPECT_EQ(target.calls, (std::vector<std::string>{"SetCenter 123", "Start", "Identify"}));
}

TEST_F(ScpiServerTest, AnAddressInUseIsTold)
{
    Start();
    ScpiServer second(target);
    ServerConfig config;
    config.listen.port = server.Port();
    QString error;
    EXPECT_FALSE(second.Listen(config, error));
    EXPECT_TRUE(error.startsWith("cannot listen on 127.0.0.1:" + QString::number(server.Port()))) << error.toStdString();
}

TEST(ServerConfig, ListenAddressesAndAllowLists)
{
    const std::tuple<const char *, const char *, quint16> listens[] = {
        {"127.0.0.1:5025", "127.0.0.1", 5025}, {"[::1]:6000", "::1", 6000},     {"0.0.0.0:0", "0.0.0.0", 0},
        {"localhost:5025", "127.0.0.1", 5025}, {"::1:5025", nullptr, 0},        {"[::1]5025", nullptr, 0},
        {"127.0.0.1", nullptr, 0},             {"127.0.0.1:65536", nullptr, 0}, {"host.example:5025", nullptr, 0},
    };
    for (const auto &[text, address, port] : listens) {
        QString error;
        const std::optional<ListenAddress> l = ParseListenAddress(text, error);
        ASSERT_EQ(l.has_value(), address != nullptr) << text;
        EXPECT_EQ(l.has_value(), error.isEmpty()) << text;
        if (l) {
            EXPECT_EQ(l->address, QHostAddress(address)) << text;
            EXPECT_EQ(l->port, port) << text;
        }
    }
    QString error;
    const AllowList allow = *AllowList::Parse("192.168.1.0/24, 10.1.2.3 ,::1", error);
    const std::pair<const char *, bool> peers[] = {
        {"192.168.1.77", true}, {"192.168.2.1", false},        {"10.1.2.3", true}, {"10.1.2.4", false},
        {"::1", true},          {"::ffff:192.168.1.5", true}, {"127.0.0.1", false},
    };
    for (const auto &[peer, allowed] : peers)
        EXPECT_EQ(allow.Allows(QHostAddress(peer)), allowed) << peer;
    EXPECT_TRUE(AllowList::Parse("", error)->Allows(QHostAddress("203.0.113.9")));
    EXPECT_FALSE(AllowList::Parse("192.168.1.0/33", error));
    EXPECT_FALSE(AllowList::Parse("friends", error));
    EXPECT_NE(error.indexOf("friends"), -1);
}

}  // namespace
