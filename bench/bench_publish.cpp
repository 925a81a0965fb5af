// Publishing from the program: its trace rate on the session's bus with Publish on at QoS 1 to a
// local mosquitto, against its rate just before without it, in the same run; then two analyzers
// on one broker at once, the program on COM1 and tavrin-cli sweep --mqtt on a second simulator on
// COM2, as mosquitto_sub -v shows them.
#include "bench_program.h"

#include "mqtt/broker.h"
#include "shell/program.h"
#include "shell/publishing.h"

#include <QCoreApplication>
#include <QProcess>

#include <filesystem>
#include <map>
#include <string>

namespace tavrin::bench {

using namespace std::chrono_literals;

namespace {

// The program says "Publishing to <broker> as <prefix>/<serial>/..." once the broker took the connection.
bool Connected(BenchProgram &p, const std::string &prefix)
{
    const QString connected = QString::fromStdString(" as " + prefix + "/");
    return PumpUntil([&] { return p.program->Publish().Text().contains(connected); }, kCap, 5ms);
}

// A child process run to its end while the bench serves the program's events; whether it ended.
bool RunAlongside(QProcess &process, const QString &program, const QStringList &args)
{
    process.start(program, args);
    if (!process.waitForStarted(5000))
        return false;
    if (PumpUntil([&] { return process.state() == QProcess::NotRunning; }, kCap, 5ms))
        return true;
    process.kill();
    process.waitForFinished(5000);
    return false;
}

// The lines of mosquitto_sub -v, the long trace payloads cut short: the first two of each topic.
void Quote(const QByteArray &output)
{
    std::map<std::string, int> seen;
    int lines = 0;
    for (const QByteArray &line : output.split('\n')) {
        if (line.isEmpty())
            continue;
        ++lines;
        const std::string text = line.toStdString();
        const std::string topic = text.substr(0, text.find(' '));
        if (++seen[topic] > 2)
            continue;
        Say("  %s%s\n", text.substr(0, 150).c_str(), text.size() > 150 ? " ..." : "");
    }
    Say("  (%d lines on %zu topics)\n", lines, seen.size());
}

// The program publishing from COM1 and a sweep publishing from a second simulator on COM2.
void TwoAnalyzers(BenchProgram &p, const tavrin::test::Broker &broker)
{
    Phase(p.name + ": two analyzers on one broker");
    tavrin::test::SimProcess second;
    std::string error;
    if (!second.Start(2, {"--serial", "67890"}, error)) {
        Say("two analyzers: not shown (the second simulator did not start: %s)\n", error.c_str());
        return;
    }
    p.program->Publish().Apply({true, broker.Url(), "", 0, "", "", "", 0});  // tavrin/<host name>
    if (!Connected(p, "tavrin")) {
        Say("two analyzers: not shown (the program did not connect: %s)\n", p.program->Publish().Text().toStdString().c_str());
        return;
    }
    QProcess sub;
    sub.start("mosquitto_sub", {"-v", "-p", QString::number(broker.Port()), "-t", "tavrin/#"});
    if (!sub.waitForStarted(5000)) {
        Say("two analyzers: not shown (mosquitto_sub did not start)\n");
        return;
    }
    PumpFor(500ms);  // subscribed
    QProcess cli;
    const bool ended = RunAlongside(cli, QCoreApplication::applicationDirPath() + "/tavrin-cli",
                                    {"sweep", "--port", "2", "--count", "10", "--mqtt", QString::fromStdString(broker.Url())});
    PumpFor(500ms);
    p.program->Publish().Apply({});
    PumpFor(500ms);
    sub.terminate();
    sub.waitForFinished(5000);
    Say("two analyzers, the program on COM1 (serial 12345) and tavrin-cli sweep --port 2 --count 10 --mqtt %s (serial "
        "67890, exit %d%s), mosquitto_sub -v -t 'tavrin/#':\n",
        broker.Url().c_str(), cli.exitCode(), ended ? "" : ", killed after the cap");
    Quote(sub.readAllStandardOutput());
}

}  // namespace

bool PublishingRates(BenchProgram &p)
{
    Phase(p.name + ": a local broker");
    const std::string folder = p.Folder() + "/broker";
    std::filesystem::create_directories(folder);
    tavrin::test::Broker broker(folder);
    std::string error;
    if (!broker.Start({}, error)) {
        Say("program with Publish on: not measured (%s)\n", error.c_str());
        return false;
    }
    tavrin::test::Subscriber sub(broker.Port(), "bench/+/trace");
    const Rate without = AcquisitionWindow(p, 10s, "everything on but the recording, before Publish");
    p.program->Publish().Apply({true, broker.Url(), "bench", 1, "", "", "", 0});
    if (!Connected(p, "bench")) {
        Say("program with Publish on: not measured (%s)\n", p.program->Publish().Text().toStdString().c_str());
        return false;
    }
    const size_t before = sub.Messages().size();
    const Rate with = AcquisitionWindow(p, 10s, "everything on but the recording, Publish on at QoS 1");
    PumpFor(1s);  // the last traces on their way
    Say("program with Publish on at QoS 1 / without: %.4f (%.3f / %.3f traces/s, each from the first to the last trace "
        "of its 10 s window); a subscriber received %zu published traces in that window and the second after it "
        "(%zu traces in the window)\n",
        without.steady > 0 ? with.steady / without.steady : 0.0, with.steady, without.steady,
        sub.Messages().size() - before, with.traces);
    p.program->Publish().Apply({});
    TwoAnalyzers(p, broker);
    return true;
}

}  // namespace tavrin::bench
