#pragma once

// A small HTTP server on 127.0.0.1 for tunnel tests. It parses every request (headers
// and a Content-Length body) and keeps it; the test decides when and how each one is
// answered, or streams a long answer piece by piece. Every answer closes its
// connection. Header-only so any test of this folder can use it.

#include <QByteArray>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <deque>

class LoopbackHttpServer
{
public:
    static constexpr int kWaitMs = 10000;

    struct Request
    {
        QByteArray Method;
        QByteArray Path;
        QByteArray Body;
        QPointer<QTcpSocket> Peer;
    };

    LoopbackHttpServer()
    {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] { Accept(); });
    }

    QByteArray Url(const QByteArray &path) const
    {
        return "http://127.0.0.1:" + QByteArray::number(server_.serverPort()) + path;
    }

    quint16 Port() const { return server_.serverPort(); }
    int Count() const { return int(requests_.size()); }
    // Connections accepted, whether or not they brought a request.
    int Connections() const { return connections_; }
    const Request &At(int index) const { return requests_.at(size_t(index)); }

    bool WaitForCount(int count) const
    {
        return QTest::qWaitFor([this, count] { return Count() >= count; }, kWaitMs);
    }

    // A complete answer with a body; the connection closes after it.
    void Answer(int index, int status, const QByteArray &body = QByteArray())
    {
        QTcpSocket *peer = requests_.at(size_t(index)).Peer;
        if (!peer)
            return;
        peer->write("HTTP/1.0 " + QByteArray::number(status) + " Status " + QByteArray::number(status)
                    + "\r\nContent-Length: " + QByteArray::number(body.size())
                    + "\r\nConnection: close\r\n\r\n" + body);
        peer->disconnectFromHost();
    }

    // An answer without a length, whose body is written piece by piece until EndStream.
    void StartStream(int index)
    {
        if (QTcpSocket *peer = requests_.at(size_t(index)).Peer)
            peer->write("HTTP/1.0 200 OK\r\nConnection: close\r\n\r\n");
    }
    void StreamPiece(int index, const QByteArray &piece)
    {
        if (QTcpSocket *peer = requests_.at(size_t(index)).Peer) {
            peer->write(piece);
            peer->flush();
        }
    }
    void EndStream(int index)
    {
        if (QTcpSocket *peer = requests_.at(size_t(index)).Peer)
            peer->disconnectFromHost();
    }

private:
    void Accept()
    {
        while (QTcpSocket *peer = server_.nextPendingConnection()) {
            ++connections_;
            auto *buffer = new QByteArray;
            QObject::connect(peer, &QObject::destroyed, [buffer] { delete buffer; });
            QObject::connect(peer, &QTcpSocket::readyRead, peer, [this, peer, buffer] {
                *buffer += peer->readAll();
                Parse(peer, *buffer);
            });
        }
    }

    void Parse(QTcpSocket *peer, QByteArray &buffer)
    {
        const int headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
        int length = 0;
        for (const QByteArray &line : lines) {
            const int colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).trimmed().toLower() == "content-length")
                length = line.mid(colon + 1).trimmed().toInt();
        }
        if (buffer.size() < headerEnd + 4 + length || requestLine.size() < 2)
            return;
        requests_.push_back({requestLine[0], requestLine[1], buffer.mid(headerEnd + 4, length), peer});
        buffer.remove(0, headerEnd + 4 + length);
    }

    QTcpServer server_;
    std::deque<Request> requests_;
    int connections_ = 0;
};
