#pragma once

// A QTcpServer on 127.0.0.1 for connection tests, with bounded waits for what its
// peers do. Header-only so any test of this folder can use it.

#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

class LoopbackTcpServer
{
public:
    static constexpr int kWaitMs = 10000;

    LoopbackTcpServer() { server_.listen(QHostAddress::LocalHost, 0); }

    bool IsListening() const { return server_.isListening(); }
    quint16 Port() const { return server_.serverPort(); }
    QString PortText() const { return QString::number(Port()); }

    // A loopback port nobody listens on (it was free a moment ago).
    static QString UnusedPortText()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return QString::number(probe.serverPort());
    }

    // The next accepted peer, or nullptr when none came in time. The server owns it.
    QTcpSocket *WaitForPeer()
    {
        if (!QTest::qWaitFor([this] { return server_.hasPendingConnections(); }, kWaitMs))
            return nullptr;
        return server_.nextPendingConnection();
    }

    bool HasPendingPeer() const { return server_.hasPendingConnections(); }

    // Reads exactly `count` bytes from the peer, or returns what came in time.
    static QByteArray ReadExactly(QTcpSocket *peer, int count)
    {
        QByteArray data;
        (void)QTest::qWaitFor([&] {
            data += peer->read(count - data.size());
            return data.size() >= count;
        }, kWaitMs);
        return data;
    }

    static bool WaitForDisconnect(QTcpSocket *peer)
    {
        return QTest::qWaitFor([peer] {
            peer->readAll();
            return peer->state() == QAbstractSocket::UnconnectedState;
        }, kWaitMs);
    }

private:
    QTcpServer server_;
};
