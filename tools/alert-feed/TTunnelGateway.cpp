#include "TTunnelGateway.h"

#include "FeedLog.h"
#include "ServerTls.h"
#include "TTunnelBridge.h"
#include "TunnelWire.h"

#include <QPointer>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cmath>

namespace {

const QByteArray UploadPrefix = "/upload/";

} // namespace

TTunnelGateway::TTunnelGateway(TTunnelOptions options, QObject *parent)
    : QObject(parent), options_(std::move(options))
{
}

TTunnelGateway::~TTunnelGateway()
{
    // Bridges first: their sockets must not report into a half-destroyed gateway.
    for (TTunnelBridge *bridge : std::as_const(tunnels_))
        delete bridge;
}

QString TTunnelGateway::Start(const QHostAddress &entryAddress, quint16 entryPort)
{
    entryAddress_ = entryAddress;
    entryPort_ = entryPort;
    QSslConfiguration tls;
    if (!options_.CertificateFile.isEmpty()) {
        const QString error = LoadServerTls(options_.CertificateFile, options_.KeyFile, tls);
        if (!error.isEmpty())
            return QStringLiteral("--https: ") + error;
    }
    server_ = MakeServer(tls, this);
    connect(server_, &QTcpServer::pendingConnectionAvailable, this,
            &TTunnelGateway::AcceptConnections);
    if (!server_->listen(options_.Address, options_.Port))
        return QStringLiteral("cannot listen for the tunnel on %1:%2: %3")
            .arg(options_.Address.toString())
            .arg(options_.Port)
            .arg(server_->errorString());
    return QString();
}

QString TTunnelGateway::Url() const
{
    const QString scheme = options_.CertificateFile.isEmpty() ? QStringLiteral("http")
                                                               : QStringLiteral("https");
    return QStringLiteral("%1://%2:%3/tunnel")
        .arg(scheme, server_->serverAddress().toString())
        .arg(server_->serverPort());
}

void TTunnelGateway::AcceptConnections()
{
    while (QTcpSocket *peer = server_->nextPendingConnection()) {
        peer->setParent(this);
        readBuffers_.insert(peer, QByteArray());
        connect(peer, &QTcpSocket::readyRead, this, [this, peer] { ReadRequest(peer); });
        connect(peer, &QTcpSocket::disconnected, peer, &QObject::deleteLater);
        connect(peer, &QObject::destroyed, this, [this, peer] { readBuffers_.remove(peer); });
        if (peer->bytesAvailable() > 0)
            ReadRequest(peer);
    }
}

void TTunnelGateway::ReadRequest(QTcpSocket *peer)
{
    QByteArray &buffer = readBuffers_[peer];
    buffer += peer->readAll();
    THttpRequestHead head;
    QByteArray body;
    switch (TakeHttpRequest(buffer, head, body)) {
    case THttpReadResult::Incomplete:
        return;
    case THttpReadResult::Bad:
        Answer(peer, 400, "Bad Request");
        return;
    case THttpReadResult::Complete:
        // One request per connection: every answer closes it.
        disconnect(peer, &QTcpSocket::readyRead, this, nullptr);
        readBuffers_.remove(peer);
        Serve(peer, head, body);
        return;
    }
}

void TTunnelGateway::Serve(QTcpSocket *peer, const THttpRequestHead &head, const QByteArray &body)
{
    if (head.Method == "GET" && !head.Path.startsWith(UploadPrefix))
        OpenTunnel(peer, head);
    else if (head.Method == "POST" && head.Path.startsWith(UploadPrefix))
        TakeUpload(peer, head.Path.mid(UploadPrefix.size()), body);
    else
        Answer(peer, 404, "Not Found");
}

void TTunnelGateway::OpenTunnel(QTcpSocket *peer, const THttpRequestHead &head)
{
    const QByteArray id = NewTunnelId();
    // The client reached us by the name in its Host header, perhaps through a proxy;
    // the uploads go the same way.
    const QByteArray host = head.Host.isEmpty()
                                ? peer->localAddress().toString().toLatin1() + ':'
                                      + QByteArray::number(peer->localPort())
                                : head.Host;
    const QByteArray scheme = options_.CertificateFile.isEmpty() ? "http" : "https";
    const QByteArray uploadUrl = scheme + "://" + host + UploadPrefix + id;
    auto *bridge = new TTunnelBridge(peer, id, uploadUrl, entryAddress_, entryPort_,
                                     options_.RefusedUploads, this);
    tunnels_.insert(id, bridge);
    connect(bridge, &TTunnelBridge::Closed, this, [this](TTunnelBridge *closed) {
        tunnels_.remove(closed->Id());
        closed->deleteLater();
    });
}

void TTunnelGateway::TakeUpload(QTcpSocket *peer, const QByteArray &id, const QByteArray &body)
{
    TTunnelBridge *bridge = tunnels_.value(id);
    if (!bridge) {
        Answer(peer, 404, "Not Found");
        return;
    }
    const std::optional<QByteArray> sequenceText = FormField(body, "sequence");
    const std::optional<QByteArray> p64 = FormField(body, "body");
    bool numeric = false;
    const qint64 sequence = sequenceText ? sequenceText->toLongLong(&numeric) : -1;
    const std::optional<QByteArray> bytes = p64 ? DecodeP64(*p64) : std::nullopt;
    if (!numeric || sequence < 0 || !bytes) {
        FeedLog(QStringLiteral("tunnel %1: unreadable upload").arg(QString::fromLatin1(id)));
        Answer(peer, 400, "Bad Request");
        return;
    }
    const bool accepted = bridge->Upload(sequence, *bytes);
    const int status = accepted ? 200 : 500;
    const QByteArray reason = accepted ? "OK" : "Internal Server Error";
    if (options_.AnswerDelaySeconds <= 0) {
        Answer(peer, status, reason);
        return;
    }
    // The upload is taken at once; only its answer is late, as from a slow network.
    const QPointer<QTcpSocket> alive(peer);
    QTimer::singleShot(int(std::lround(options_.AnswerDelaySeconds * 1000.0)), this,
                       [this, alive, status, reason] {
                           if (alive)
                               Answer(alive, status, reason);
                       });
}

void TTunnelGateway::Answer(QTcpSocket *peer, int status, const QByteArray &reason)
{
    peer->write("HTTP/1.0 " + QByteArray::number(status) + ' ' + reason
                + "\r\nContent-Type: text/plain\r\nContent-Length: " + QByteArray::number(reason.size())
                + "\r\nConnection: close\r\n\r\n" + reason);
    peer->disconnectFromHost();
}

QByteArray TTunnelGateway::NewTunnelId()
{
    // Counted, so ids never repeat; random, so one client cannot guess another's.
    return QByteArray::number(++tunnelCount_) + '-'
           + QByteArray::number(QRandomGenerator::global()->generate64(), 16);
}
