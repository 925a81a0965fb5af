// Where the SCPI server listens, whom it lets in, and the bounds it keeps every client to.
#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>

#include <chrono>
#include <cstddef>
#include <optional>
#include <utility>

namespace tavrin::remote {

inline constexpr quint16 kDefaultScpiPort = 5025;

struct ListenAddress {
    QHostAddress address{QHostAddress::LocalHost};
    quint16 port = kDefaultScpiPort;
};

// "127.0.0.1:5025", "[::1]:5025", "0.0.0.0:5025", "localhost:5025"; port 0 takes a free one.
// Nothing, with the reason in error, for anything else.
std::optional<ListenAddress> ParseListenAddress(const QString &text, QString &error);

// Addresses and networks clients may come from: "127.0.0.1, 192.168.1.0/24, ::1". Empty lets
// every client in that can reach the listening address.
class AllowList {
public:
    // Nothing, with the reason in error, for an entry that is neither.
    static std::optional<AllowList> Parse(const QString &text, QString &error);
    bool Allows(QHostAddress peer) const;
    bool Empty() const { return networks_.isEmpty(); }

private:
    QList<std::pair<QHostAddress, int>> networks_;
};

struct ServerLimits {
    int maxClients = 32;
    // Replies a client has not read: past congestion no more of its commands run until they
    // drain, and if none drains for stalledMs the client is dropped; past maxBacklog (a bound
    // the congestion keeps it far from) it is dropped at once.
    qint64 congestion = 256 * 1024;
    int stalledMs = 60000;
    qint64 maxBacklog = 4 * 1024 * 1024;
    // A line left unfinished this long is thrown away (the client stays).
    int partialLineMs = 30000;
    // How long the clients run, one after the other, before the event loop serves its other
    // events (the window's, the timers') again.
    std::chrono::microseconds turn{1000};
};

struct ServerConfig {
    ListenAddress listen;
    AllowList allow;
    ServerLimits limits;
};

// An address as a text, "[::1]:5025" or "127.0.0.1:5025".
QString AddressText(const QHostAddress &address, quint16 port);

}  // namespace tavrin::remote
