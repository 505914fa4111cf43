#include "net/TAsyncSocket.h"

#include "net/ESocketException.h"

#include <QNetworkProxy>
#include <QPointer>

#include <algorithm>
#include <cstring>

namespace {

quint16 ParsePort(const QString &text, const char *what)
{
    bool ok = false;
    const uint port = text.toUInt(&ok);
    if (!ok || port == 0 || port > 65535)
        throw ESocketException(QStringLiteral("Invalid %1 \"%2\"").arg(QLatin1String(what), text));
    return static_cast<quint16>(port);
}

TSocketError ConnectError(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::HostNotFoundError: return seNameNotResolved;
    case QAbstractSocket::ConnectionRefusedError: return seConnectionRefused;
    default: return seNetwork;
    }
}

} // namespace

TAsyncSocket::TAsyncSocket(QObject *parent)
    : QObject(parent)
{
    // The proxy, when there is one, is our own SOCKS code, never Qt's idea of a
    // default proxy.
    tcp_.setProxy(QNetworkProxy::NoProxy);
    tcp_.setReadBufferSize(ReadBufferBytes);
    // Queued, so that the owner's handlers never run inside QTcpSocket's own code
    // and may destroy this socket.
    connect(&tcp_, &QTcpSocket::connected, this, &TAsyncSocket::TcpConnected, Qt::QueuedConnection);
    connect(&tcp_, &QTcpSocket::readyRead, this, &TAsyncSocket::TcpReadyRead, Qt::QueuedConnection);
    connect(&tcp_, &QTcpSocket::errorOccurred, this, &TAsyncSocket::TcpError, Qt::QueuedConnection);
    connect(&tcp_, &QTcpSocket::disconnected, this, &TAsyncSocket::TcpDisconnected,
            Qt::QueuedConnection);
    connect(&tcp_, &QSslSocket::encrypted, this, &TAsyncSocket::Established, Qt::QueuedConnection);
}

TAsyncSocket::~TAsyncSocket()
{
    // Destroying the QTcpSocket aborts it; nothing of that may come back here.
    QObject::disconnect(&tcp_, nullptr, this, nullptr);
}

void TAsyncSocket::Connect()
{
    if (phase_ != TPhase::Idle)
        throw ESocketException(QStringLiteral("Connect called twice on one socket"));
    const quint16 port = ParsePort(port_, "port");
    if (!socks_.IsSet()) {
        phase_ = TPhase::Connecting;
        tcp_.connectToHost(address_, port);
        return;
    }
    const quint16 socksPort = ParsePort(socks_.Port, "SOCKS port");
    handshake_ = std::make_unique<TSocksHandshake>(socks_, address_, port);
    phase_ = TPhase::Connecting;
    tcp_.connectToHost(socks_.Host, socksPort);
}

void TAsyncSocket::SendStr(const QByteArray &data)
{
    if (phase_ == TPhase::Connected && !data.isEmpty())
        tcp_.write(data);
}

int TAsyncSocket::Receive(char *buffer, int length)
{
    // Before the connection is up, received bytes are the proxy's replies.
    if (length <= 0 || phase_ == TPhase::Idle || phase_ == TPhase::Connecting
        || phase_ == TPhase::Negotiating || phase_ == TPhase::Encrypting)
        return 0;
    if (!early_.isEmpty()) {
        const int count = std::min(length, int(early_.size()));
        std::memcpy(buffer, early_.constData(), size_t(count));
        early_.remove(0, count);
        return count;
    }
    return int(tcp_.read(buffer, length));
}

void TAsyncSocket::Close()
{
    switch (phase_) {
    case TPhase::Closing:
    case TPhase::Closed:
        return;
    case TPhase::Connected:
        // Sends what is still queued, then the socket reports the disconnection.
        phase_ = TPhase::Closing;
        tcp_.disconnectFromHost();
        return;
    case TPhase::Idle:
    case TPhase::Connecting:
    case TPhase::Negotiating:
    case TPhase::Encrypting:
        phase_ = TPhase::Closing;
        tcp_.abort();
        QMetaObject::invokeMethod(this, [this] { Finish(seNone); }, Qt::QueuedConnection);
        return;
    }
}

void TAsyncSocket::TcpConnected()
{
    if (phase_ != TPhase::Connecting)
        return;
    if (!handshake_) {
        Reached();
        return;
    }
    phase_ = TPhase::Negotiating;
    tcp_.write(handshake_->Start());
}

void TAsyncSocket::TcpReadyRead()
{
    if (phase_ == TPhase::Negotiating)
        Negotiate();
    else if (phase_ == TPhase::Connected)
        Q_EMIT DataAvailable(seNone);
}

void TAsyncSocket::TcpError(QAbstractSocket::SocketError error)
{
    switch (phase_) {
    case TPhase::Connecting:
        Fail(ConnectError(error), tcp_.errorString());
        return;
    case TPhase::Negotiating:
        Fail(seProxyFailed, QStringLiteral("SOCKS negotiation broken: ") + tcp_.errorString());
        return;
    case TPhase::Encrypting:
        Fail(seTlsFailed, QStringLiteral("TLS handshake failed: ") + tcp_.errorString());
        return;
    case TPhase::Connected:
    case TPhase::Closing:
        // A peer that closes is the normal end; its last bytes stay readable.
        if (error == QAbstractSocket::RemoteHostClosedError) {
            Finish(seNone);
        } else {
            errorText_ = tcp_.errorString();
            tcp_.abort();
            Finish(seNetwork);
        }
        return;
    case TPhase::Idle:
    case TPhase::Closed:
        return;
    }
}

void TAsyncSocket::TcpDisconnected()
{
    if (phase_ == TPhase::Negotiating)
        Fail(seProxyFailed, QStringLiteral("The SOCKS proxy closed the connection"));
    else if (phase_ == TPhase::Encrypting)
        Fail(seTlsFailed, QStringLiteral("The server closed the connection during the TLS handshake"));
    else if (phase_ == TPhase::Connected || phase_ == TPhase::Closing)
        Finish(seNone);
}

void TAsyncSocket::Negotiate()
{
    early_ += tcp_.readAll();
    const QByteArray reply = handshake_->Feed(early_);
    if (!reply.isEmpty())
        tcp_.write(reply);
    switch (handshake_->Status()) {
    case TSocksHandshake::TStatus::InProgress:
        return;
    case TSocksHandshake::TStatus::Succeeded:
        Reached();
        return;
    case TSocksHandshake::TStatus::Failed:
        Fail(seProxyFailed, handshake_->FailureText());
        return;
    }
}

void TAsyncSocket::Reached()
{
    if (!tls_) {
        Established();
        return;
    }
    // The certificate must name the server we asked for, not the proxy we went through.
    phase_ = TPhase::Encrypting;
    tcp_.setPeerVerifyName(address_);
    tcp_.startClientEncryption();
}

void TAsyncSocket::Established()
{
    if (phase_ != TPhase::Connecting && phase_ != TPhase::Negotiating && phase_ != TPhase::Encrypting)
        return;
    phase_ = TPhase::Connected;
    QPointer<TAsyncSocket> alive(this);
    Q_EMIT SessionConnected(seNone);
    // The target may have spoken right behind the proxy's last reply.
    if (alive && phase_ == TPhase::Connected && (!early_.isEmpty() || tcp_.bytesAvailable() > 0))
        Q_EMIT DataAvailable(seNone);
}

void TAsyncSocket::Fail(TSocketError error, const QString &text)
{
    errorText_ = text;
    phase_ = TPhase::Closed;
    tcp_.abort();
    QPointer<TAsyncSocket> alive(this);
    Q_EMIT SessionConnected(error);
    if (alive)
        Q_EMIT SessionClosed(error);
}

void TAsyncSocket::Finish(int error)
{
    if (phase_ == TPhase::Closed)
        return;
    phase_ = TPhase::Closed;
    Q_EMIT SessionClosed(error);
}
