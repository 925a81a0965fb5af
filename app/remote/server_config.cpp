#include "remote/server_config.h"

#include <QStringList>

namespace tavrin::remote {

namespace {

// An IPv4 client reaching a dual-stack socket shows as ::ffff:a.b.c.d.
QHostAddress Plain(const QHostAddress &address)
{
    bool v4 = false;
    const quint32 ip = address.toIPv4Address(&v4);
    return v4 ? QHostAddress(ip) : address;
}

}  // namespace

std::optional<ListenAddress> ParseListenAddress(const QString &text, QString &error)
{
    const QString t = text.trimmed();
    QString host, port;
    if (t.startsWith('[')) {
        const qsizetype close = t.indexOf(']');
        if (close < 0 || t.mid(close + 1, 1) != ":") {
            error = "\"" + text + "\": write an IPv6 address as [ADDRESS]:PORT, e.g. [::1]:5025";
            return std::nullopt;
        }
        host = t.mid(1, close - 1);
        port = t.mid(close + 2);
    } else {
        const qsizetype colon = t.lastIndexOf(':');
        if (colon < 0 || t.left(colon).contains(':')) {
            error = "\"" + text + "\": give ADDRESS:PORT, e.g. 127.0.0.1:5025 or [::1]:5025";
            return std::nullopt;
        }
        host = t.left(colon);
        port = t.mid(colon + 1);
    }
    ListenAddress listen;
    listen.address = host.compare("localhost", Qt::CaseInsensitive) == 0 ? QHostAddress(QHostAddress::LocalHost)
                                                                          : QHostAddress(host);
    bool ok = false;
    const uint number = port.toUInt(&ok);
    if (listen.address.isNull()) {
        error = "\"" + host + "\" is not an IP address of this computer's form (e.g. 127.0.0.1, 0.0.0.0, ::1)";
        return std::nullopt;
    }
    if (!ok || number > 65535) {
        error = "\"" + port + "\" is not a port number 0..65535";
        return std::nullopt;
    }
    listen.port = static_cast<quint16>(number);
    return listen;
}

std::optional<AllowList> AllowList::Parse(const QString &text, QString &error)
{
    AllowList list;
    for (const QString &entry : text.split(',', Qt::SkipEmptyParts)) {
        const QString e = entry.trimmed();
        if (e.isEmpty())
            continue;
        std::pair<QHostAddress, int> net = e.contains('/') ? QHostAddress::parseSubnet(e) : std::pair{QHostAddress(e), -1};
        if (net.first.isNull()) {
            error = "\"" + e + "\" is neither an address (192.168.1.20, ::1) nor a network (192.168.1.0/24)";
            return std::nullopt;
        }
        net.first = Plain(net.first);
        if (net.second < 0)
            net.second = net.first.protocol() == QAbstractSocket::IPv4Protocol ? 32 : 128;
        list.networks_.append(net);
    }
    return list;
}

bool AllowList::Allows(QHostAddress peer) const
{
    if (networks_.isEmpty())
        return true;
    peer = Plain(peer);
    for (const auto &net : networks_)
        if (peer.isInSubnet(net))
            return true;
    return false;
}

QString AddressText(const QHostAddress &address, quint16 port)
{
    const QHostAddress a = Plain(address);
    const QString host = a.protocol() == QAbstractSocket::IPv6Protocol ? "[" + a.toString() + "]" : a.toString();
    return host + ":" + QString::number(port);
}

}  // namespace tavrin::remote
