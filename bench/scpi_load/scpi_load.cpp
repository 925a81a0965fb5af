// tavrin-scpi-load: a bounded load and abuse run against a SCPI server on loopback.
//
//   tavrin-scpi-load [--port N] [--host ADDRESS] [--clients 20] [--queries 1000]
//                    [--random-lines 10000] [--huge-line BYTES] [--no-deaf] [--deadline SECONDS]
//   tavrin-scpi-load --fake ...   the server in this process, on a thread of its own, with the
//                                 test's fake target; its event loop's lateness is measured too
//
// Query clients pipeline queries whose answers are known whatever the analyzer does (their own
// *ESE echoed, *TST?, TRAC:POIN?, *OPC?, *IDN? as first told, an empty error queue) and check every
// answer; meanwhile one client sends random lines (binary bytes too), one a line of a mebibyte,
// and one asks for traces and never reads. Exit 0 when every answer was right and every part
// ended before the deadline.
#include "latency_probe.h"
#include "load_clients.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

using namespace tavrin::load;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("A bounded load and abuse run against a SCPI server on loopback.");
    parser.addHelpOption();
    const QCommandLineOption host("host", "server address", "ADDRESS", "127.0.0.1");
    const QCommandLineOption port("port", "server port", "N", "5025");
    const QCommandLineOption fake("fake", "run the server here, against the fake target");
    const QCommandLineOption clients("clients", "query clients", "N", "20");
    const QCommandLineOption queries("queries", "queries per client", "N", "1000");
    const QCommandLineOption random("random-lines", "random lines of the abusing client", "N", "10000");
    const QCommandLineOption huge("huge-line", "bytes of the one huge line", "BYTES", "1048576");
    const QCommandLineOption noDeaf("no-deaf", "no client that never reads");
    const QCommandLineOption deadline("deadline", "give up after this time", "SECONDS", "120");
    parser.addOptions({host, port, fake, clients, queries, random, huge, noDeaf, deadline});
    parser.process(app);

    Plan plan;
    plan.clients = parser.value(clients).toInt();
    plan.queries = parser.value(queries).toInt();
    plan.randomLines = parser.value(random).toInt();
    plan.hugeLine = parser.value(huge).toInt();
    plan.deaf = !parser.isSet(noDeaf);

    std::unique_ptr<FakeServerThread> server;
    QHostAddress address(parser.value(host));
    quint16 serverPort = static_cast<quint16>(parser.value(port).toUInt());
    if (parser.isSet(fake)) {
        server = std::make_unique<FakeServerThread>();
        address = QHostAddress::LocalHost;
        serverPort = server->Port();
    }
    std::printf("SCPI load on %s:%u%s\n", address.toString().toUtf8().constData(), serverPort,
                server ? " (a server in this process, fake target)" : "");

    Run run(plan, address, serverPort);
    QObject::connect(&run, &Run::finished, &app, &QCoreApplication::quit);
    QTimer::singleShot(parser.value(deadline).toInt() * 1000, &app, [&] {
        std::printf("deadline reached\n");
        app.quit();
    });
    run.Start();
    app.exec();
    // The server here drops a client whose replies stay unread for a second: wait to see it.
    if (server && plan.deaf) {
        QTimer poll;
        int polls = 0;
        QObject::connect(&poll, &QTimer::timeout, &app, [&] {
            if (server->Notes().find("dropped") != std::string::npos || ++polls > 100)
                app.quit();
        });
        poll.start(50);
        app.exec();
    }

    const bool ok = run.Report();
    if (server) {
        std::printf("server's event loop: a 1 ms timer was late by %s\n", server->Lateness().c_str());
        std::printf("server notes: %s\n", server->Notes().c_str());
    }
    std::printf("result: %s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}
