// The clients of tavrin-scpi-load: query clients that check every answer, and the abusers (random
// lines, one huge line, one that never reads), each on its own socket of the one event loop.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTcpSocket>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tavrin::load {

struct Plan {
    int clients = 20;
    int queries = 1000;
    int randomLines = 10000;
    int hugeLine = 1 << 20;
    bool deaf = true;
    int window = 8;  // queries a client has on the way at once
};

using Clock = std::chrono::steady_clock;

// "p50 .., p99 .., max .." of times in ms, or "none".
std::string Percentiles(std::vector<double> ms);

// One connection with a few lines' worth of plumbing.
class Part {
public:
    explicit Part(std::function<void()> done) : done_(std::move(done)) {}
    virtual ~Part() = default;
    void Connect(const QHostAddress &address, quint16 port);
    bool Finished() const { return finished_; }
    Clock::time_point started;
    Clock::time_point ended;
    std::string failure;  // "" when all went right

protected:
    virtual void Connected() = 0;
    virtual void Line(const std::string &line) = 0;
    void Finish();
    void Fail(const std::string &why);
    QTcpSocket socket_;

private:
    std::function<void()> done_;
    bool finished_ = false;
};

class QueryClient : public Part {
public:
    QueryClient(int index, const Plan &plan, std::function<void()> done);
    int answered = 0;
    int wrong = 0;
    std::vector<double> roundTripsMs;

private:
    void Connected() override;
    void Line(const std::string &line) override;
    void Pump();

    struct Pending {
        std::string expected;
        Clock::time_point sent;
    };
    int index_;
    const Plan &plan_;
    int sent_ = 0;
    std::string identity_;
    std::deque<Pending> pending_;
};

class GarbageClient : public Part {
public:
    GarbageClient(const Plan &plan, std::function<void()> done) : Part(std::move(done)), plan_(plan) {}
    qint64 bytes = 0;
    int errorsQueued = 0;
    int eventStatus = 0;
    int strayReplies = 0;

private:
    void Connected() override;
    void Line(const std::string &line) override;
    const Plan &plan_;
};

class HugeLineClient : public Part {
public:
    HugeLineClient(const Plan &plan, std::function<void()> done) : Part(std::move(done)), plan_(plan) {}
    std::string told;

private:
    void Connected() override;
    void Line(const std::string &line) override;
    const Plan &plan_;
};

// Asks for much and reads nothing: its replies pile up on the server's side.
class DeafClient : public Part {
public:
    DeafClient() : Part([] {}) {}
    qint64 bytes = 0;

private:
    void Connected() override;
    void Line(const std::string &) override {}
};

class Run : public QObject {
    Q_OBJECT
public:
    Run(const Plan &plan, const QHostAddress &address, quint16 port);
    ~Run() override;
    void Start();
    // Prints the numbers; whether everything went right.
    bool Report() const;

signals:
    void finished();

private:
    void PartDone();

    Plan plan_;
    QHostAddress address_;
    quint16 port_;
    Clock::time_point start_;
    std::vector<std::unique_ptr<QueryClient>> queries_;
    std::unique_ptr<GarbageClient> garbage_;
    std::unique_ptr<HugeLineClient> huge_;
    std::unique_ptr<DeafClient> deaf_;
};

}  // namespace tavrin::load
