#pragma once

// A scripted alert server on 127.0.0.1 for tests: it takes the opening lines, inflates
// the client's stream, cuts it into requests and answers with frames in a zlib stream of
// its own. Tests read what each client sent and decide what goes back. Header-only so
// that the tests of every layer can use it.

#include "shared/TMessageToServer.h"
#include "shared/TZLibCompressor.h"
#include "shared/TZLibDecompressor.h"
#include "shared/WireFormat.h"

#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QVector>

#include <functional>
#include <memory>

// One accepted connection.
class FakeAlertClient
{
public:
    explicit FakeAlertClient(QTcpSocket *socket) : socket_(socket)
    {
        QObject::connect(socket_, &QTcpSocket::readyRead, socket_, [this] { ReadAll(); });
        QObject::connect(socket_, &QTcpSocket::disconnected, socket_, [this] { closed_ = true; });
    }

    // Every byte received, opening lines included.
    const QByteArray &Raw() const { return raw_; }
    // The client's requests in arrival order, "message_id" pairs included.
    const QVector<TMessageToServer> &Requests() const { return requests_; }
    // Why the client's bytes could not be read; empty while they could.
    const QString &Error() const { return error_; }
    bool Closed() const { return closed_; }

    // The requests whose "command" is the given one.
    QVector<TMessageToServer> RequestsFor(const QByteArray &command) const
    {
        QVector<TMessageToServer> found;
        for (const TMessageToServer &request : requests_)
            if (request.Value("command") == command)
                found.append(request);
        return found;
    }

    // The message identifier of the last request with this command; 0 without one.
    qint32 IdOf(const QByteArray &command) const
    {
        const QVector<TMessageToServer> found = RequestsFor(command);
        return found.isEmpty() ? 0 : found.last().Value("message_id").toInt();
    }

    // Frames go out compressed and sync-flushed, so the client can read them at once.
    void SendFrame(qint32 messageId, const QByteArray &body)
    {
        SendInflated(EncodeFrame(messageId, body));
    }
    void SendInflated(const QByteArray &bytes) { SendRaw(Compress(bytes)); }
    // The next piece of this connection's compressed stream, for a test to send itself.
    QByteArray Compress(const QByteArray &bytes)
    {
        compressor_.Write(bytes);
        compressor_.Flush();
        return compressor_.TakeOutput();
    }
    void SendRaw(const QByteArray &bytes)
    {
        socket_->write(bytes);
        socket_->flush();
    }
    void Close() { socket_->disconnectFromHost(); }

    std::function<void(FakeAlertClient &client, const TMessageToServer &request)> OnRequest;

private:
    void ReadAll()
    {
        const QByteArray received = socket_->readAll();
        raw_ += received;
        if (!error_.isEmpty())
            return;
        if (!openingSeen_) {
            const QByteArray opening = OpeningLines();
            if (raw_.size() < opening.size())
                return;
            if (!raw_.startsWith(opening)) {
                error_ = QStringLiteral("the connection did not start with the opening lines");
                return;
            }
            openingSeen_ = true;
            Inflate(raw_.mid(opening.size()));
            return;
        }
        Inflate(received);
    }

    void Inflate(const QByteArray &compressed)
    {
        try {
            decompressor_.Decompress(compressed);
        } catch (const std::exception &e) {
            error_ = QString::fromUtf8(e.what());
            return;
        }
        const TRequestCut cut = CutRequests(decompressor_.Output());
        decompressor_.RemoveUsedOutput(cut.BytesUsed);
        if (cut.Status != csGood)
            error_ = cut.Error;
        for (const TMessageToServer &request : cut.Requests) {
            requests_.append(request);
            if (OnRequest)
                OnRequest(*this, request);
        }
    }

    QTcpSocket *socket_;
    QByteArray raw_;
    bool openingSeen_ = false;
    bool closed_ = false;
    QString error_;
    TZLibDecompressor decompressor_;
    TZLibCompressor compressor_;
    QVector<TMessageToServer> requests_;
};

class FakeAlertServer
{
public:
    FakeAlertServer()
    {
        listening_ = server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] { Accept(); });
    }

    bool Listening() const { return listening_; }
    quint16 Port() const { return server_.serverPort(); }
    QString Address() const { return QStringLiteral("127.0.0.1:") + QString::number(Port()); }

    int ClientCount() const { return clients_.size(); }
    FakeAlertClient &Client(int index) { return *clients_[index]; }
    FakeAlertClient &LastClient() { return *clients_.last(); }

    // Installed on every client accepted from now on.
    std::function<void(FakeAlertClient &client, const TMessageToServer &request)> OnRequest;

    // Every client accepted from now on is answered as the real server answers a
    // well-behaved client (AnswerLoginsAndPings).
    void AnswerAsTheRealServer();

    // Stops accepting: new connection attempts are refused from now on.
    void StopListening() { server_.close(); }

private:
    void Accept()
    {
        while (QTcpSocket *socket = server_.nextPendingConnection()) {
            socket->setParent(&server_);
            clients_.append(std::make_shared<FakeAlertClient>(socket));
            clients_.last()->OnRequest = OnRequest;
        }
    }

    // The clients go last, after the server has taken their sockets down.
    QVector<std::shared_ptr<FakeAlertClient>> clients_;
    QTcpServer server_;
    bool listening_ = false;
};

// A request as "key=value&key=value", for comparing whole requests at a glance.
inline QByteArray RequestText(const TMessageToServer &request)
{
    QByteArrayList pairs;
    for (const TMessageField &field : request.Fields())
        pairs.append(field.Key + '=' + field.Value);
    return pairs.join('&');
}

// A server that behaves as the real one does towards a well-behaved client: it answers
// a login with a session identifier and every ping with an empty frame.
inline void AnswerLoginsAndPings(FakeAlertClient &client, const TMessageToServer &request,
                                 const QByteArray &sessionId = "S-1")
{
    const qint32 id = request.Value("message_id").toInt();
    if (request.Value("command") == "login")
        client.SendFrame(id, "SESSION ID\r\n" + sessionId);
    else if (request.Value("command") == "ping")
        client.SendFrame(id, QByteArray());
}

inline void FakeAlertServer::AnswerAsTheRealServer()
{
    OnRequest = [](FakeAlertClient &client, const TMessageToServer &request) { AnswerLoginsAndPings(client, request); };
}
