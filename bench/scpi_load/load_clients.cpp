#include "load_clients.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace tavrin::load {

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

std::string Percentiles(std::vector<double> ms)
{
    if (ms.empty())
        return "none";
    std::sort(ms.begin(), ms.end());
    auto at = [&](double q) { return ms[std::min(ms.size() - 1, static_cast<size_t>(q * static_cast<double>(ms.size())))]; };
    char text[120];
    std::snprintf(text, sizeof text, "p50 %.2f ms, p99 %.2f ms, max %.2f ms", at(0.5), at(0.99), ms.back());
    return text;
}

void Part::Connect(const QHostAddress &address, quint16 port)
{
    started = Clock::now();
    QObject::connect(&socket_, &QTcpSocket::connected, [this] { Connected(); });
    QObject::connect(&socket_, &QTcpSocket::readyRead, [this] {
        while (!Finished() && socket_.canReadLine())
            Line(socket_.readLine().chopped(1).toStdString());
    });
    QObject::connect(&socket_, &QTcpSocket::errorOccurred, [this] {
        if (!Finished())
            Fail("connection: " + socket_.errorString().toStdString());
    });
    socket_.connectToHost(address, port);
}

void Part::Finish()
{
    if (finished_)
        return;
    finished_ = true;
    ended = Clock::now();
    done_();
}

void Part::Fail(const std::string &why)
{
    if (failure.empty())
        failure = why;
    Finish();
}

QueryClient::QueryClient(int index, const Plan &plan, std::function<void()> done)
    : Part(std::move(done)), index_(index), plan_(plan)
{
}

void QueryClient::Connected()
{
    socket_.write("*IDN?\n");  // the answer every later *IDN? must repeat
}

void QueryClient::Pump()
{
    while (sent_ < plan_.queries && static_cast<int>(pending_.size()) < plan_.window) {
        // Answers known whatever the analyzer does; *ESE is this client's own, so a reply that
        // strayed from another client shows.
        const int echo = (index_ * 31 + sent_) % 256;
        const std::pair<std::string, std::string> kinds[] = {
            {"*ESE " + std::to_string(echo) + ";*ESE?", std::to_string(echo)},
            {"*TST?;:TRAC:POIN?", "0;500"},
            {"*IDN?", identity_},
            {"SYST:ERR?", "0,\"No error\""},
            {"*OPC?", "1"},
        };
        const auto &[query, expected] = kinds[sent_ % 5];
        pending_.push_back({expected, Clock::now()});
        socket_.write((query + "\n").c_str());
        ++sent_;
    }
}

void QueryClient::Line(const std::string &line)
{
    if (identity_.empty()) {
        identity_ = line;
        Pump();
        return;
    }
    if (pending_.empty()) {
        Fail("a reply nobody asked for: " + line);
        return;
    }
    const Pending p = pending_.front();
    pending_.pop_front();
    roundTripsMs.push_back(Ms(Clock::now() - p.sent));
    ++answered;
    if (line != p.expected && ++wrong == 1)
        failure = "client " + std::to_string(index_) + " got \"" + line.substr(0, 80) + "\" for \"" + p.expected + "\"";
    if (answered == plan_.queries)
        Finish();
    else
        Pump();
}

void GarbageClient::Connected()
{
    std::mt19937 random(1234);
    QByteArray all;
    for (int i = 0; i < plan_.randomLines; ++i) {
        const int length = 1 + static_cast<int>(random() % 200);
        for (int k = 0; k < length; ++k) {
            char c = static_cast<char>(random());
            all.append(c == '\n' ? ' ' : c);
        }
        all.append('\n');
    }
    bytes = all.size();
    socket_.write(all);
    socket_.write("SYST:ERR:COUN?;*ESR?;*ESE 201;*ESE?\n");
}

void GarbageClient::Line(const std::string &line)
{
    if (line.size() < 4 || line.compare(line.size() - 4, 4, ";201") != 0) {
        ++strayReplies;
        return;
    }
    std::sscanf(line.c_str(), "%d;%d", &errorsQueued, &eventStatus);
    if (errorsQueued == 0 || !(eventStatus & 32))
        failure = "random lines left no command error: " + line;
    Finish();
}

void HugeLineClient::Connected()
{
    socket_.write(QByteArray(plan_.hugeLine, 'A') + "\nSYST:ERR?\n");
}

void HugeLineClient::Line(const std::string &line)
{
    told = line;
    if (line.rfind("-100,", 0) != 0)
        failure = "the huge line gave " + line;
    Finish();
}

void DeafClient::Connected()
{
    socket_.setReadBufferSize(1024);
    QByteArray line = "TRAC:FREQ?";
    while (line.size() < 60000)
        line += ";:TRAC:FREQ?";
    for (int i = 0; i < 20; ++i)
        bytes += socket_.write(line + "\n");
}

Run::Run(const Plan &plan, const QHostAddress &address, quint16 port) : plan_(plan), address_(address), port_(port) {}

Run::~Run() = default;

void Run::Start()
{
    start_ = Clock::now();
    if (plan_.deaf) {
        deaf_ = std::make_unique<DeafClient>();
        deaf_->Connect(address_, port_);
    }
    auto done = [this] { PartDone(); };
    for (int i = 0; i < plan_.clients; ++i)
        queries_.push_back(std::make_unique<QueryClient>(i, plan_, done));
    garbage_ = std::make_unique<GarbageClient>(plan_, done);
    huge_ = std::make_unique<HugeLineClient>(plan_, done);
    for (auto &q : queries_)
        q->Connect(address_, port_);
    garbage_->Connect(address_, port_);
    huge_->Connect(address_, port_);
}

void Run::PartDone()
{
    const bool all = std::all_of(queries_.begin(), queries_.end(), [](const auto &q) { return q->Finished(); }) &&
                     garbage_->Finished() && huge_->Finished();
    if (all)
        emit finished();
}

bool Run::Report() const
{
    bool ok = true;
    int answered = 0, wrong = 0;
    std::vector<double> trips;
    Clock::time_point last = start_;
    for (const auto &q : queries_) {
        answered += q->answered;
        wrong += q->wrong;
        trips.insert(trips.end(), q->roundTripsMs.begin(), q->roundTripsMs.end());
        last = std::max(last, q->Finished() ? q->ended : Clock::now());  // one cut off counts until now
        if (!q->Finished() || !q->failure.empty()) {
            std::printf("  %s\n", q->failure.empty() ? "a query client did not finish" : q->failure.c_str());
            ok = false;
        }
    }
    const double seconds = Ms(last - start_) / 1000;
    std::printf("%d clients x %d queries: %d answered, %d wrong, in %.2f s (%.0f queries/s); round trip %s\n",
                plan_.clients, plan_.queries, answered, wrong, seconds, answered / std::max(seconds, 1e-9),
                Percentiles(trips).c_str());
    std::printf("%d random lines (%lld bytes, any byte but newline): %d errors queued, event status %d, %d stray "
                "replies, all read in %.2f s%s\n",
                plan_.randomLines, static_cast<long long>(garbage_->bytes), garbage_->errorsQueued,
                garbage_->eventStatus, garbage_->strayReplies, Ms(garbage_->ended - garbage_->started) / 1000,
                garbage_->Finished() ? "" : " (did not finish)");
    std::printf("a line of %d bytes: %s, in %.2f s\n", plan_.hugeLine, huge_->told.c_str(),
                Ms(huge_->ended - huge_->started) / 1000);
    if (deaf_)
        std::printf("a client that never reads: %lld bytes of TRAC:FREQ? lines sent, its replies left unread\n",
                    static_cast<long long>(deaf_->bytes));
    for (const Part *p : {static_cast<const Part *>(garbage_.get()), static_cast<const Part *>(huge_.get())}) {
        if (!p->Finished() || !p->failure.empty()) {
            std::printf("  %s\n", p->failure.empty() ? "an abusing client did not finish" : p->failure.c_str());
            ok = false;
        }
    }
    return ok && wrong == 0;
}

}  // namespace tavrin::load
