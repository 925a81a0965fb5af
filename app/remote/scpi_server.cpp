#include "remote/scpi_server.h"

#include "remote/command_set.h"
#include "remote/scpi_client.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace tavrin::remote {

namespace {

// What the socket takes from the system before the client has room for it: the rest waits in the
// system's buffers, and a client that sends too fast is slowed down by TCP itself.
constexpr qint64 kReadBuffer = 64 * 1024;
constexpr int kChunksPerTurn = 4;

}  // namespace

class ScpiServer::Connection : public ClientOutput {
public:
    Connection(ScpiServer &owner, QTcpSocket *socket, uint64_t id)
        : id(id), owner_(owner), socket_(socket), peer_(AddressText(socket->peerAddress(), socket->peerPort())),
          partialTimer_(new QTimer(socket)), stallTimer_(new QTimer(socket))
    {
        client_ = ScpiClient::Create(owner.table_, owner.target_, *this);
        socket_->setReadBufferSize(kReadBuffer);
        const ServerLimits &limits = owner.config_.limits;
        partialTimer_->setSingleShot(true);
        partialTimer_->setInterval(limits.partialLineMs);
        QObject::connect(partialTimer_, &QTimer::timeout, socket_, [this] {
            emit owner_.note(QString("%1 left a line unfinished for %2 s; it is thrown away")
                                 .arg(peer_)
                                 .arg(partialTimer_->interval() / 1000.0));
            client_->AbandonPartialLine();
            Schedule();
        });
        stallTimer_->setSingleShot(true);
        stallTimer_->setInterval(limits.stalledMs);
        QObject::connect(stallTimer_, &QTimer::timeout, socket_, [this] {
            End(QString("dropped: it has not read its replies for %1 s (%2 bytes wait)")
                    .arg(stallTimer_->interval() / 1000.0)
                    .arg(socket_->bytesToWrite()));
        });
        QObject::connect(socket_, &QTcpSocket::readyRead, socket_, [this] { Schedule(); });
        QObject::connect(socket_, &QTcpSocket::bytesWritten, socket_, [this] {
            if (Congested()) {
                stallTimer_->start();
                return;
            }
            stallTimer_->stop();
            Schedule();
        });
        QObject::connect(socket_, &QTcpSocket::disconnected, socket_, [this] { PeerGone(); });
        QObject::connect(socket_, &QTcpSocket::errorOccurred, socket_, [this] {
            if (socket_->error() == QAbstractSocket::RemoteHostClosedError)
                PeerGone();
            else
                End({});
        });
    }
    // Never from inside one of the socket's own signals: the server removes connections from
    // queued calls only.
    ~Connection() override
    {
        socket_->disconnect();
        socket_->abort();
        delete socket_;
    }

    bool Send(std::string_view bytes) override
    {
        if (ended_)
            return false;
        if (peerGone_)
            return true;  // nobody to read it
        socket_->write(bytes.data(), static_cast<qint64>(bytes.size()));
        if (socket_->bytesToWrite() > owner_.config_.limits.maxBacklog) {
            End(QString("dropped: it does not read its replies (%1 bytes wait)").arg(socket_->bytesToWrite()));
            return false;
        }
        return true;
    }
    bool Congested() const override
    {
        return !peerGone_ && socket_->bytesToWrite() > owner_.config_.limits.congestion;
    }
    void WorkPending() override { Schedule(); }

    // Reads what the client has room for, runs its lines for up to the turn, and asks for
    // another turn when work is left.
    void Service(std::chrono::microseconds turn)
    {
        scheduled_ = false;
        if (ended_)
            return;
        bool fed = false;
        for (int i = 0; i < kChunksPerTurn && client_->WantsInput() && socket_->bytesAvailable() > 0; ++i) {
            const QByteArray data = socket_->read(kReadBuffer);
            client_->Feed(std::string_view(data.constData(), static_cast<size_t>(data.size())));
            fed = true;
        }
        const bool more = client_->Run(turn);
        if (ended_)
            return;
        // A client that sent its commands and left: they run, then it is taken out.
        if (peerGone_) {
            if (more || socket_->bytesAvailable() > 0)
                Schedule();
            else
                End({});
            return;
        }
        // Quiet is counted from the last byte, and only once every byte that came was read.
        if (!client_->HasPartialLine() || socket_->bytesAvailable() > 0)
            partialTimer_->stop();
        else if (fed || !partialTimer_->isActive())
            partialTimer_->start();
        if (Congested() && !stallTimer_->isActive())
            stallTimer_->start();
        if (more || (client_->WantsInput() && socket_->bytesAvailable() > 0))
            Schedule();
    }

    void PeerGone()
    {
        if (ended_ || peerGone_)
            return;
        peerGone_ = true;
        partialTimer_->stop();
        stallTimer_->stop();
        Schedule();
    }

    void End(const QString &why)
    {
        if (ended_)
            return;
        ended_ = true;
        partialTimer_->stop();
        stallTimer_->stop();
        if (!why.isEmpty())
            emit owner_.note(peer_ + " " + why);
        socket_->abort();
        QMetaObject::invokeMethod(&owner_, [owner = &owner_, id = id] { owner->Remove(id); }, Qt::QueuedConnection);
    }

    const uint64_t id;

    void Schedule()
    {
        if (scheduled_ || ended_)
            return;
        scheduled_ = true;
        owner_.Ready(id);
    }

private:
    ScpiServer &owner_;
    QTcpSocket *socket_;
    const QString peer_;
    QTimer *partialTimer_;
    QTimer *stallTimer_;
    std::shared_ptr<ScpiClient> client_;
    bool scheduled_ = false;
    bool peerGone_ = false;  // its commands still run
    bool ended_ = false;
};

ScpiServer::ScpiServer(RemoteTarget &target, QObject *parent)
    : QObject(parent), target_(target), table_(ScpiCommands()), server_(new QTcpServer(this))
{
    connect(server_, &QTcpServer::newConnection, this, &ScpiServer::Accept);
}

ScpiServer::~ScpiServer() { connections_.clear(); }

bool ScpiServer::Listen(const ServerConfig &config, QString &error)
{
    Close();
    config_ = config;
    if (server_->listen(config.listen.address, config.listen.port))
        return true;
    error = "cannot listen on " + AddressText(config.listen.address, config.listen.port) + ": " + server_->errorString();
    return false;
}

void ScpiServer::Close()
{
    server_->close();
    if (connections_.empty())
        return;
    connections_.clear();
    emit clientsChanged(0);
}

bool ScpiServer::Listening() const { return server_->isListening(); }
QString ScpiServer::Address() const { return AddressText(server_->serverAddress(), server_->serverPort()); }
quint16 ScpiServer::Port() const { return server_->serverPort(); }

void ScpiServer::Accept()
{
    while (QTcpSocket *socket = server_->nextPendingConnection()) {
        const QString peer = AddressText(socket->peerAddress(), socket->peerPort());
        if (!config_.allow.Allows(socket->peerAddress())) {
            Refuse(socket, peer + " is not among the addresses allowed to control this analyzer");
            continue;
        }
        if (Clients() >= config_.limits.maxClients) {
            Refuse(socket, QString("%1 clients are connected already, the most this analyzer takes").arg(Clients()));
            continue;
        }
        connections_.push_back(std::make_unique<Connection>(*this, socket, nextId_++));
        emit clientsChanged(Clients());
        connections_.back()->Schedule();
    }
}

void ScpiServer::Refuse(QTcpSocket *socket, const QString &why)
{
    emit note("refused " + AddressText(socket->peerAddress(), socket->peerPort()) + ": " + why);
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    socket->write(("refused: " + why + "\n").toUtf8());
    socket->disconnectFromHost();
    // One that does not let itself be closed is cut off.
    QTimer::singleShot(5000, socket, [socket] { socket->abort(); socket->deleteLater(); });
}

void ScpiServer::Ready(uint64_t id)
{
    ready_.push_back(id);
    if (turnPosted_)
        return;
    turnPosted_ = true;
    QMetaObject::invokeMethod(this, &ScpiServer::Turn, Qt::QueuedConnection);
}

// The clients with work, in turn, until the server's share of this pass of the event loop is
// used; the rest wait for the next pass, after the window's (and the timers') events.
void ScpiServer::Turn()
{
    turnPosted_ = false;
    const auto end = std::chrono::steady_clock::now() + config_.limits.turn;
    for (auto now = std::chrono::steady_clock::now(); !ready_.empty() && now < end; now = std::chrono::steady_clock::now()) {
        const uint64_t id = ready_.front();
        ready_.pop_front();
        for (const std::unique_ptr<Connection> &c : connections_)
            if (c->id == id)
                c->Service(std::chrono::duration_cast<std::chrono::microseconds>(end - now));
    }
    if (!ready_.empty() && !turnPosted_) {
        turnPosted_ = true;
        QMetaObject::invokeMethod(this, &ScpiServer::Turn, Qt::QueuedConnection);
    }
}

void ScpiServer::Remove(uint64_t id)
{
    for (auto it = connections_.begin(); it != connections_.end(); ++it) {
        if ((*it)->id == id) {
            connections_.erase(it);
            emit clientsChanged(Clients());
            return;
        }
    }
}

}  // namespace tavrin::remote
