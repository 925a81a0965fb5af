#include "latency_probe.h"

#include "fake_target.h"
#include "load_clients.h"
#include "remote/scpi_server.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <mutex>
#include <vector>

namespace tavrin::load {

namespace {

constexpr int kTickMs = 1;

// The CPU time this thread has used: it stands still while the thread waits for events or for a
// core, so between two ticks it is the work that held the event loop, whatever else ran.
double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

}  // namespace

class FakeServerThread::Host : public QObject {
public:
    Host() : server(target, this), probe(this)
    {
        target.SetLiveTrace(251);
        probe.setTimerType(Qt::PreciseTimer);
        probe.setInterval(kTickMs);
        QObject::connect(&probe, &QTimer::timeout, this, [this] {
            const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6, cpu = ThreadCpuMs();
            clock.restart();
            std::lock_guard lock(mutex);
            late.push_back(std::max(0.0, ms - kTickMs));
            busy.push_back(cpu - lastCpu);
            lastCpu = cpu;
        });
        QObject::connect(&server, &remote::ScpiServer::note, this, [this](const QString &note) {
            std::lock_guard lock(mutex);
            notes += (notes.empty() ? "" : "; ") + note.toStdString();
        });
    }
    // On the thread: listen (a client that reads nothing is dropped after a second) and tick.
    quint16 Start()
    {
        remote::ServerConfig config;
        config.listen.port = 0;
        config.limits.stalledMs = 1000;
        QString error;
        if (!server.Listen(config, error))
            qFatal("%s", error.toUtf8().constData());
        clock.start();
        lastCpu = ThreadCpuMs();
        probe.start();
        return server.Port();
    }
    void Stop()
    {
        probe.stop();
        server.Close();
    }

    test::FakeTarget target;
    remote::ScpiServer server;
    QTimer probe;
    QElapsedTimer clock;
    mutable std::mutex mutex;
    std::vector<double> late;
    std::vector<double> busy;
    double lastCpu = 0;
    std::string notes;
};

FakeServerThread::FakeServerThread() : host_(new Host)
{
    host_->moveToThread(&thread_);
    thread_.start();
    QMetaObject::invokeMethod(host_, [this] { port_ = host_->Start(); }, Qt::BlockingQueuedConnection);
}

FakeServerThread::~FakeServerThread()
{
    QMetaObject::invokeMethod(host_, [this] { host_->Stop(); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
    delete host_;
}

std::string FakeServerThread::Lateness() const
{
    std::lock_guard lock(host_->mutex);
    return Percentiles(host_->late) + " (" + std::to_string(host_->late.size()) +
           " ticks); it worked between two ticks for " + Percentiles(host_->busy) + " of CPU time";
}

std::string FakeServerThread::Notes() const
{
    std::lock_guard lock(host_->mutex);
    return host_->notes.empty() ? "none" : host_->notes;
}

}  // namespace tavrin::load
