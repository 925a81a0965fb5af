// Remote control in the running program: its own trace rate without and with a client polling
// TRAC?, the load and abuse run of tavrin-scpi-load against it with the window's latency
// meanwhile, and a client looping INIT;*OPC?;TRAC? while the program is stopped. The clients run
// on threads or processes of their own, so the window thread does only the server's work.
#include "bench_program.h"

#include "remote/scpi_server.h"
#include "shell/program.h"
#include "shell/remote_control.h"

#include <QCoreApplication>
#include <QProcess>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace tavrin::bench {

using namespace std::chrono_literals;

namespace {

constexpr auto kWindow = 10s;

struct Loop {
    int replies = 0;
    int wrong = 0;  // not the answer the line asks for
    double seconds = 0;
    std::string failure;
    double PerSecond() const { return seconds > 0 ? replies / seconds : 0; }
};

// One client on a blocking socket: sends the line, reads its one reply line, again, until the
// time is up or stop is set.
Loop LoopClient(quint16 port, const std::string &line, Clock::duration length, size_t commas,
                const std::atomic<bool> &stop)
{
    Loop loop;
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const timeval wait{20, 0};  // a reply that never comes ends the loop, not the bench
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    if (connect(fd, reinterpret_cast<const sockaddr *>(&to), sizeof to) != 0) {
        loop.failure = "cannot connect";
        close(fd);
        return loop;
    }
    const std::string message = line + "\n";
    std::string pending;
    char buffer[65536];
    const auto start = Clock::now();
    while (!stop && Clock::now() - start < length) {
        if (send(fd, message.data(), message.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(message.size())) {
            loop.failure = "send failed";
            break;
        }
        size_t end = std::string::npos;
        while ((end = pending.find('\n')) == std::string::npos) {
            const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            pending.append(buffer, static_cast<size_t>(got));
        }
        if (end == std::string::npos) {
            loop.failure = "no reply within 20 s";
            break;
        }
        const std::string reply = pending.substr(0, end);
        pending.erase(0, end + 1);
        ++loop.replies;
        if (static_cast<size_t>(std::count(reply.begin(), reply.end(), ',')) != commas)
            ++loop.wrong;
    }
    loop.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    close(fd);
    return loop;
}

// The loop on a thread while the bench serves the program's events; the window's latency and the
// program's traces meanwhile.
Loop LoopWhileServing(BenchProgram &p, const std::string &what, const std::string &line, size_t commas)
{
    Phase(p.name + ": " + what);
    std::atomic<bool> stop = false, done = false;
    Loop loop;
    const quint16 port = p.program->Remote().Server()->Port();
    const auto w0 = Clock::now();
    LatencyBegin();
    std::thread client([&] {
        loop = LoopClient(port, line, kWindow, commas, stop);
        done = true;
    });
    PumpUntil([&] { return done.load(); }, kWindow + 25s, 5ms);
    stop = true;
    client.join();
    const std::vector<double> late = LatencyEnd();
    const Rate rate = RateOf(p.traces->Between(w0, Clock::now()), Ms(Clock::now() - w0) / 1000);
    Say("%s: %d replies in %.2f s, %.2f/s, %d not of the expected size%s%s; the program published %zu traces "
        "(%.2f/s from first to last)\n",
        what.c_str(), loop.replies, loop.seconds, loop.PerSecond(), loop.wrong, loop.failure.empty() ? "" : "; ",
        loop.failure.c_str(), rate.traces, rate.steady);
    ReportLatency(("window latency, " + what).c_str(), late);
    return loop;
}

// The program's own rate over a window, remote control on or off.
Rate OwnRate(BenchProgram &p, bool polled)
{
    if (!polled) {
        Phase(p.name + ": trace rate without the server");
        const auto w0 = Clock::now();
        PumpFor(kWindow);
        return RateOf(p.traces->Between(w0, Clock::now()), Ms(Clock::now() - w0) / 1000);
    }
    const auto w0 = Clock::now();
    LoopWhileServing(p, "continuous acquisition, a client polling TRAC?", "TRAC?", 499);
    return RateOf(p.traces->Between(w0, Clock::now()), Ms(Clock::now() - w0) / 1000);
}

bool RemoteOn(BenchProgram &p, bool on)
{
    return p.program->Remote().Apply({on, "127.0.0.1:0", ""}) && p.program->Remote().On() == on;
}

// The server's rate against its own without it, twice in turn so that the machine's load weighs
// on both alike.
void CompareRates(BenchProgram &p)
{
    std::vector<double> without, with;
    for (int round = 0; round < 2; ++round) {
        RemoteOn(p, false);
        without.push_back(OwnRate(p, false).steady);
        if (!RemoteOn(p, true)) {
            Say("remote control: the server did not start\n");
            return;
        }
        with.push_back(OwnRate(p, true).steady);
    }
    const double a = (without[0] + without[1]) / 2, b = (with[0] + with[1]) / 2;
    Say("program's trace rate, continuous acquisition: without the server %.3f/s (%.3f, %.3f), with a client "
        "polling TRAC? %.3f/s (%.3f, %.3f); ratio %.4f\n",
        a, without[0], without[1], b, with[0], with[1], a > 0 ? b / a : 0);
}

// tavrin-scpi-load against the program's server as a child process; its lines as it printed them.
void LoadRun(BenchProgram &p)
{
    Phase(p.name + ": SCPI load and abuse run");
    QProcess tool;
    tool.setProgram(QCoreApplication::applicationDirPath() + "/tavrin-scpi-load");
    tool.setArguments({"--port", QString::number(p.program->Remote().Server()->Port()), "--deadline", "80"});
    tool.setProcessChannelMode(QProcess::MergedChannels);
    const auto w0 = Clock::now();
    LatencyBegin();
    tool.start();
    const bool finished = PumpUntil([&] { return tool.state() == QProcess::NotRunning; }, 85s, 5ms);
    const std::vector<double> late = LatencyEnd();
    const auto w1 = Clock::now();
    if (!finished) {
        tool.kill();
        tool.waitForFinished(5000);
    }
    for (const QByteArray &line : tool.readAll().split('\n'))
        if (!line.trimmed().isEmpty())
            Say("scpi load: %s\n", line.constData());
    const Rate rate = RateOf(p.traces->Between(w0, w1), Ms(w1 - w0) / 1000);
    Say("scpi load: exit %d%s after %.2f s; the program published %zu traces meanwhile (%.2f/s from first to "
        "last), %d clients connected after it\n",
        tool.exitCode(), finished ? "" : " (killed at the cap)", Ms(w1 - w0) / 1000, rate.traces, rate.steady,
        p.program->Remote().Server()->Clients());
    ReportLatency("window latency, SCPI load and abuse run (continuous acquisition)", late);
}

}  // namespace

void RemoteControlBench(BenchProgram &p)
{
    CompareRates(p);
    if (!p.program->Remote().On())
        return;
    LoadRun(p);
    StopAndWait(p);
    PumpFor(1500ms);  // a second without a trace: the first INIT checks the line as Start does
    // "1;" and the 500 levels.
    LoopWhileServing(p, "stopped, a client looping INIT;*OPC?;TRAC?", "INIT;*OPC?;TRAC?", 499);
    RemoteOn(p, false);
    StartAndWait(p);
}

}  // namespace tavrin::bench
