#include "cli/serve.h"

#include "cli/session.h"
#include "cli/stop_signals.h"
#include "remote/command_set.h"
#include "remote/scpi_server.h"
#include "remote/session_target.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace tavrin::cli {

namespace {

std::string ReadServeOptions(const CommandLine &line, remote::ServerConfig &config)
{
    QString error;
    if (line.Has("listen")) {
        const std::optional<remote::ListenAddress> listen = remote::ParseListenAddress(QString::fromStdString(line.Value("listen")), error);
        if (!listen)
            return "--listen " + error.toStdString();
        config.listen = *listen;
    }
    if (line.Has("allow")) {
        const std::optional<remote::AllowList> allow = remote::AllowList::Parse(QString::fromStdString(line.Value("allow")), error);
        if (!allow)
            return "--allow: " + error.toStdString();
        config.allow = *allow;
    }
    return {};
}

}  // namespace

std::string ServeCommandTable()
{
    return "\nSCPI commands (newline ends a message, ';' chains, short or long forms, any case; frequencies in\n"
           "HZ (default), KHZ, MHZ or GHZ, levels in DBM; [ ] optional, <n> a suffix such as MARK2):\n" +
           remote::CommandSetText() +
           "\nErrors go to each client's queue (SYSTem:ERRor?) with the IEEE 488.2 codes. Settings are sent\n"
           "and confirmed as typed on the panel; *OPC? answers once they are. REAL data is big-endian unless\n"
           "FORMat:BORDer SWAPped. A line over 64 KiB, or one left unfinished for 30 s, is thrown away\n"
           "with an error; a client that leaves its replies unread for 60 s is dropped.\n";
}

int ServeCommand(const CommandLine &line)
{
    remote::ServerConfig config;
    if (const std::string error = ReadServeOptions(line, config); !error.empty()) {
        Complain(error + " (tavrin-cli serve --help tells the options)");
        return kExitUsage;
    }
    StopSignals stop;  // before any thread that must not take the signals
    CliLink link(&stop);
    // A lost line is reopened, as in the program: a script may run for weeks.
    link.S().Line().SetReconnect(true);
    if (const int opened = OpenAnalyzer(link, ChosenPort(line)); opened != kExitOk)
        return opened;
    remote::SessionTarget target(link.S());
    remote::ScpiServer server(target);
    QObject::connect(&server, &remote::ScpiServer::note, [](const QString &note) {
        Complain("remote: " + note.toStdString());
    });
    QObject::connect(&server, &remote::ScpiServer::clientsChanged, [](int count) {
        Complain("remote: " + std::to_string(count) + (count == 1 ? " client" : " clients"));
    });
    QString error;
    if (!server.Listen(config, error)) {
        Complain(error.toStdString() + ". Name another with --listen ADDRESS:PORT.");
        return kExitPort;
    }
    if (!config.listen.address.isLoopback() && config.allow.Empty())
        Complain("note: every computer that reaches " + server.Address().toStdString() +
                 " may control the analyzer; --allow names the ones that may.");
    std::printf("SCPI server on %s (Ctrl+C ends it)\n", server.Address().toStdString().c_str());
    std::fflush(stdout);
    link.Wait([&] { return stop.Requested(); });
    link.S().Halt();
    if (link.Instrument().Busy()) {
        // A request still on a silent line cannot be interrupted; the kernel releases the port.
        std::fflush(nullptr);
        _exit(kExitOk);
    }
    return kExitOk;
}

}  // namespace tavrin::cli
