#include "client/ui/linking/TTcpSymbolLink.h"

#include <QTcpSocket>

#include <sys/socket.h>

#include <cerrno>
#include <utility>

namespace {

// True when the program at the other end has closed the connection, found out
// without reading or waiting: a peek sees the end of the stream at once.
bool PeerHasClosed(const QTcpSocket &socket)
{
    char byte;
    const ssize_t got = ::recv(int(socket.socketDescriptor()), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

} // namespace

TTcpSymbolLink::TTcpSymbolLink(QObject *parent)
    : QObject(parent)
{
    connectTimer_.setSingleShot(true);
    connectTimer_.setInterval(ConnectTimeoutMs);
    connect(&connectTimer_, &QTimer::timeout, this, [this] {
        Failed(QStringLiteral("Could not reach %1: no answer within %2 seconds.")
                   .arg(Where())
                   .arg(ConnectTimeoutMs / 1000));
    });
}

TTcpSymbolLink::~TTcpSymbolLink()
{
    Drop();
}

QString TTcpSymbolLink::Where() const
{
    return host_ + QLatin1Char(':') + QString::number(port_);
}

void TTcpSymbolLink::Send(const QString &host, int port, const QString &symbol)
{
    if (socket_ && (host != host_ || port != port_ || socket_->state() == QAbstractSocket::UnconnectedState
                    || (connected_ && PeerHasClosed(*socket_))))
        Drop();
    host_ = host;
    port_ = port;
    queued_.append(symbol);
    if (!socket_)
        Connect();
    else if (connected_)
        Flush();
}

void TTcpSymbolLink::Connect()
{
    socket_ = new QTcpSocket(this);
    connected_ = false;
    connect(socket_, &QTcpSocket::connected, this, [this] {
        connectTimer_.stop();
        connected_ = true;
        Flush();
    });
    connect(socket_, &QTcpSocket::bytesWritten, this, &TTcpSymbolLink::BytesWritten);
    // What the program says back is of no use here; reading it keeps the
    // buffer small and lets the end of the stream be noticed.
    connect(socket_, &QTcpSocket::readyRead, socket_, [socket = socket_] { socket->readAll(); });
    connect(socket_, &QTcpSocket::errorOccurred, this, [this] {
        if (!connected_)
            Failed(QStringLiteral("Could not reach %1: %2").arg(Where(), socket_->errorString()));
        else if (Pending() > 0)
            Failed(QStringLiteral("Could not send to %1: %2").arg(Where(), socket_->errorString()));
        else
            Drop(); // the program closed its end; the next symbol connects again
    });
    connectTimer_.start();
    // Host names are looked up in the background; nothing here blocks.
    socket_->connectToHost(host_, quint16(port_));
}

void TTcpSymbolLink::Flush()
{
    for (const QString &symbol : std::exchange(queued_, {})) {
        socket_->write(symbol.toUtf8() + '\n');
        unconfirmed_.append(symbol);
    }
}

void TTcpSymbolLink::BytesWritten()
{
    if (!socket_ || socket_->bytesToWrite() > 0 || unconfirmed_.isEmpty())
        return;
    const QString last = unconfirmed_.last();
    unconfirmed_.clear();
    Q_EMIT Finished(true, QStringLiteral("Sent %1 to %2.").arg(last, Where()));
}

void TTcpSymbolLink::Failed(const QString &reason)
{
    Drop();
    // A refused address can fail inside Send; the caller hears of it afterwards,
    // like of every other outcome.
    QMetaObject::invokeMethod(
        this, [this, reason] { Q_EMIT Finished(false, reason); }, Qt::QueuedConnection);
}

void TTcpSymbolLink::Drop()
{
    connectTimer_.stop();
    queued_.clear();
    unconfirmed_.clear();
    connected_ = false;
    if (QTcpSocket *socket = std::exchange(socket_, nullptr)) {
        // It may be in the middle of emitting one of its own signals.
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
}
