// Remote control in the program: the SCPI server over the panel's own session, with real clients
// on the loopback address and the fake analyzer in virtual time. A remote setting is the panel's
// intent (the same frames, the same texts), INIT while stopped takes the trace Start would take,
// the status bar counts the clients, and the dialog switches it (kept between runs: shell_test).
#include "remote/scpi_server.h"
#include "settings/program_settings.h"
#include "shell/remote_control.h"
#include "support/panel_fixture.h"

#include <QLabel>
#include <QTcpSocket>

#include <algorithm>
#include <memory>

using namespace tavrin;
using namespace tavrin::test;

namespace {

constexpr auto kStep = 20ms;  // virtual time per turn of the wait
constexpr int kWaitMs = 20000;

class RemotePanelTest : public PanelTest {
protected:
    // The panel loaded and remote control on, on a free loopback port.
    void LoadWithRemote()
    {
        Load();
        remote = std::make_unique<RemoteControl>(*session, dialogs);
        ASSERT_TRUE(remote->Apply({true, "127.0.0.1:0", ""}));
    }
    std::unique_ptr<QTcpSocket> Connect()
    {
        auto c = std::make_unique<QTcpSocket>();
        c->connectToHost(QHostAddress::LocalHost, remote->Server()->Port());
        EXPECT_TRUE(Serve([&] { return c->state() == QAbstractSocket::ConnectedState; }));
        return c;
    }
    // The sockets and the analyzer's virtual time served together until done (bounded).
    bool Serve(const std::function<bool()> &done)
    {
        return QTest::qWaitFor([&] {
            clock.Advance(kStep);
            return done();
        }, kWaitMs);
    }
    std::string Ask(QTcpSocket &c, const std::string &line)
    {
        c.write(QByteArray::fromStdString(line + "\n"));
        if (!Serve([&] { return c.canReadLine(); }))
            return "(no answer)";
        return c.readLine().trimmed().toStdString();
    }
    // What went to the analyzer besides trace requests, once no job is left.
    Commands Settings()
    {
        EXPECT_TRUE(RunUntil([this] { return !session->Line().JobsPending(); }, 10s));
        Commands sent = Sent();
        std::erase(sent, "T");
        return sent;
    }
    QLabel &Label() { return *remote->StatusLabel(); }

    std::unique_ptr<RemoteControl> remote;
};

// The centre typed on the panel and the centre sent by a client, each from the same start: the
// same frames to the analyzer in the same order, the same texts on the panel, and *OPC? answers
// once the analyzer confirmed.
TEST_F(RemotePanelTest, ARemoteCentreIsThePanelsOwnInput)
{
    LoadWithRemote();
    StartAcquiring();
    auto client = Connect();
    const AnalyzerSettings start = fake.settings;
    auto fromStart = [&] {
        fake.settings = start;
        Run(1s);
        Sent();
    };
    const std::pair<const char *, Commands> cases[] = {
        {"10", {"S10", "F0010000"}},     // the span fitted first
        {"1.0015", {"S7", "F0001002"}},  // whole kHz, halves to even; the span fitted (typed centres: controls_test)
    };
    for (const auto &[mhz, frames] : cases) {
        SCOPED_TRACE(mhz);
        fromStart();
        Enter("txtCenterFreq", mhz);
        EXPECT_EQ(Settings(), frames);
        const std::string typed = Shown();

        fromStart();
        ASSERT_NE(Shown(), typed);
        EXPECT_EQ(Ask(*client, std::string("FREQ:CENT ") + mhz + " MHz;*OPC?"), "1");
        EXPECT_FALSE(session->Line().JobsPending()) << "answered once confirmed";
        EXPECT_EQ(Settings(), frames);
        EXPECT_EQ(Shown(), typed);
        EXPECT_EQ(Ask(*client, "SYST:ERR?"), "0,\"No error\"");
    }
}

// While stopped: a remote setting still reaches the analyzer (the panel's waits for Start), so
// that INIT measures at it; INIT takes the link check and the one trace a Start begins with, shows
// it, and leaves the acquisition stopped. *IDN? before any Start reads the serial number.
TEST_F(RemotePanelTest, InitWhileStoppedTakesTheTraceStartWouldTakeAndShowsIt)
{
    LoadWithRemote();
    auto client = Connect();
    ASSERT_FALSE(session->Line().Running());
    EXPECT_EQ(Ask(*client, "*IDN?").substr(0, 30), "Tavrin,Spectrum Analyzer,12345");
    Commands asked = Sent();
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "V"), 1);
    const std::string again = Ask(*client, "*IDN?;*IDN?");
    EXPECT_EQ(again.substr(0, 30), "Tavrin,Spectrum Analyzer,12345");
    asked = Sent();
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "V"), 0) << "the versions are asked once";
    Run(2s);  // no trace in the last second: the line is checked again
    Sent();
    int redraws = display.RedrawCount();
    EXPECT_EQ(Ask(*client, "INIT;*OPC?"), "1");
    const Commands init = Sent();
    EXPECT_EQ(std::count(init.begin(), init.end(), "T"), 1);
    ASSERT_TRUE(session->Shown());
    EXPECT_GT(display.RedrawCount(), redraws);
    EXPECT_FALSE(session->Line().Running());
    EXPECT_EQ(Find("cmdStart")->text(), "Start");
    const std::string levels = Ask(*client, "TRAC?");
    EXPECT_EQ(std::count(levels.begin(), levels.end(), ','), 499);
    EXPECT_EQ(Ask(*client, "TRAC? MEMA;:SYST:ERR?").substr(0, 5), "-221,");
    Click("cmdStoreA");
    EXPECT_EQ(Ask(*client, "TRAC? MEMA"), levels) << "the panel's memory A";

    EXPECT_EQ(Ask(*client, "FREQ:CENT 200 MHz;*OPC?"), "1");
    EXPECT_EQ(Settings(), Commands{"F0200000"});
    redraws = display.RedrawCount();
    EXPECT_EQ(Ask(*client, "INIT;*OPC?"), "1");
    EXPECT_EQ(session->Shown()->settings.centerMHz, 200);
    EXPECT_EQ(Find<QLineEdit>("txtCenterFreq")->text(), "200.000");
    EXPECT_GT(display.RedrawCount(), redraws);

    Run(2s);
    Sent();
    Click("cmdStart");
    ASSERT_TRUE(RunUntil([&] { return session->Line().Running() && fake.TracesSent() >= 5; }, 5s));
    Commands start = Sent();
    start.resize(std::min(start.size(), init.size()));
    EXPECT_EQ(start, init);
}

// The status bar counts the clients (each is served its own: scpi_server_test); the address taken
// is refused to a second server with a message, and off drops them.
TEST_F(RemotePanelTest, SeveralClientsAreCountedAndOffDropsThem)
{
    LoadWithRemote();
    EXPECT_EQ(Label().text(), "remote: 0 clients");
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int i = 0; i < 3; ++i)
        clients.push_back(Connect());
    EXPECT_TRUE(Serve([&] { return Label().text() == "remote: 3 clients"; })) << Label().text().toStdString();

    for (const char *left : {"remote: 2 clients", "remote: 1 client"}) {
        clients.back()->disconnectFromHost();
        clients.pop_back();
        EXPECT_TRUE(Serve([&] { return Label().text() == left; })) << Label().text().toStdString();
    }

    RemoteControl second(*session, dialogs);
    const std::string taken = "127.0.0.1:" + std::to_string(remote->Server()->Port());
    EXPECT_FALSE(second.Apply({true, taken, ""}));
    EXPECT_FALSE(second.On() || second.Settings().on);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find("stays off"), std::string::npos) << dialogs.messages[0].text;
    EXPECT_TRUE(second.StatusLabel()->isHidden());

    remote->Apply({false, taken, ""});
    EXPECT_TRUE(Label().isHidden());
    EXPECT_TRUE(Serve([&] { return clients[0]->state() == QAbstractSocket::UnconnectedState; }));
}

// The dialog's three fields switch it; what cannot be read is said and leaves it off, and an
// address beyond loopback with nobody named is asked about first.
TEST_F(RemotePanelTest, TheDialogSwitchesItAndRefusesWhatItCannotRead)
{
    Load();
    RemoteControl control(*session, dialogs);
    struct Case { std::vector<std::string> typed; bool on; const char *said; bool asked; };
    const Case cases[] = {
        {{"On", "0", "127.0.0.1, 10.0.0.0/8"}, true, "", false},  // a port alone: on loopback
        {{"On", "nowhere:5025", ""}, false, "\"nowhere\" is not an IP address", false},
        {{"On", "127.0.0.1:0", "10.0.0.0/99"}, false, "allowed clients", false},
        {{"On", "0", "127.0.0.1"}, true, "", false},
        {{"On", "0.0.0.0:0", ""}, true, "", true},  // No: as it was
        {{"Off", " ", ""}, false, "", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed[1] + " " + c.typed[2]);
        dialogs.messages.clear();
        dialogs.questions.clear();
        dialogs.forms.push_back(c.typed);
        const RemoteControlSettings before = control.Settings();
        control.Ask();
        EXPECT_EQ(control.On(), c.on);
        EXPECT_EQ(control.Settings().on, c.on);
        EXPECT_EQ(control.StatusLabel()->isHidden(), !c.on);
        EXPECT_EQ(dialogs.questions.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(control.Settings(), before);
        }
        ASSERT_EQ(dialogs.messages.size(), *c.said ? 1u : 0u);
        if (*c.said) {
            EXPECT_NE(dialogs.messages[0].text.find(c.said), std::string::npos) << dialogs.messages[0].text;
        }
    }
    EXPECT_EQ(control.Settings().listen, "127.0.0.1:5025") << "nothing typed: the default address";
    ASSERT_FALSE(dialogs.formFields.empty());
    EXPECT_EQ(dialogs.formFields[0][0].text, "Off") << "off by default";
    EXPECT_EQ(dialogs.formFields[0][1].text, "127.0.0.1:5025");
}

}  // namespace
