// The SCPI socket server: clients on a TCP port (5025 on the loopback address unless told
// otherwise), each with its own parser, error queue and operations, all against one target.
// Everything runs on the thread's event loop and nothing in it waits: a client that floods,
// stalls or never reads its replies costs the others nothing but its turn, and its memory is
// bounded (ServerLimits).
#pragma once

#include "remote/remote_target.h"
#include "remote/server_config.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <deque>
#include <list>
#include <memory>

class QTcpServer;
class QTcpSocket;

namespace tavrin::remote {

class CommandTable;

class ScpiServer : public QObject {
    Q_OBJECT
public:
    explicit ScpiServer(RemoteTarget &target, QObject *parent = nullptr);
    ~ScpiServer() override;

    // Starts listening (again); false with the reason when the address cannot be had.
    bool Listen(const ServerConfig &config, QString &error);
    // Stops listening and drops every client.
    void Close();
    bool Listening() const;
    // The address and port listened on (the port chosen when 0 was asked for).
    QString Address() const;
    quint16 Port() const;
    int Clients() const { return static_cast<int>(connections_.size()); }

signals:
    // So the status bar can say "remote: N clients".
    void clientsChanged(int count);
    // A client refused or dropped, with why; for a log or standard error.
    void note(const QString &text);

private:
    class Connection;

    void Accept();
    void Refuse(QTcpSocket *socket, const QString &why);
    // A client has work: it gets a turn in the next pass.
    void Ready(uint64_t id);
    void Turn();
    // Takes a connection out after the event that ended it has returned.
    void Remove(uint64_t id);

    RemoteTarget &target_;
    const CommandTable &table_;
    QTcpServer *server_;
    ServerConfig config_;
    std::list<std::unique_ptr<Connection>> connections_;
    uint64_t nextId_ = 1;
    std::deque<uint64_t> ready_;
    bool turnPosted_ = false;
};

}  // namespace tavrin::remote
