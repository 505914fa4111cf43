#pragma once

#include "net/TSocksHandshake.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QSslSocket>

#include <memory>

// The error code of SessionConnected and SessionClosed; 0 means no error.
enum TSocketError : int {
    seNone = 0,
    seNameNotResolved, // a host name could not be converted to an address
    seConnectionRefused,
    seProxyFailed, // the SOCKS proxy refused the request or broke the negotiation
    seTlsFailed, // the TLS handshake failed, the server's certificate included
    seNetwork, // any other failure of the connection
};

// An asynchronous TCP client on the event loop, optionally through a SOCKS 4/4a
// or SOCKS 5 proxy, optionally in TLS (the server's certificate checked against the
// system's certificate authorities and the address's host name). Connect() never waits (host names are resolved in the
// background); the outcome comes as SessionConnected(error), and a failed attempt
// is followed by SessionClosed. Every notification is delivered from the event
// loop, never from inside a call on this object; SessionClosed comes exactly once
// after Connect started an attempt or Close was called. A handler may destroy the
// socket, and a destroyed socket sends nothing more.
class TAsyncSocket : public QObject
{
    Q_OBJECT

public:
    // The most received bytes the socket holds for its reader; the network keeps the
    // rest until the reader has taken some.
    static constexpr int ReadBufferBytes = 1024 * 1024;

    explicit TAsyncSocket(QObject *parent = nullptr);
    ~TAsyncSocket() override;

    void SetAddress(const QString &address) { address_ = address; }
    void SetPort(const QString &port) { port_ = port; }
    // A proxy that is not set (see TSocksProxy::IsSet) means a direct connection.
    void SetSocks(const TSocksProxy &socks) { socks_ = socks; }
    // The connection is established once the TLS handshake has succeeded.
    void SetTls(bool tls) { tls_ = tls; }

    // Starts the attempt. Throws ESocketException, with nothing started, for a port
    // text that is not a number from 1 to 65535, for unusable SOCKS settings, and
    // when called a second time.
    void Connect();
    // Queues the bytes behind those sent before. Bytes sent while the socket is not
    // connected (still negotiating, closing or closed) are dropped.
    void SendStr(const QByteArray &data);
    // Copies up to `length` received bytes into `buffer`; returns the count, or 0
    // or less when nothing is waiting. Never waits.
    int Receive(char *buffer, int length);
    // Ends the connection (sending what is still queued first); SessionClosed follows
    // from the event loop unless the socket has already closed.
    void Close();

    // Why the last attempt or connection failed, for diagnostics.
    const QString &ErrorText() const { return errorText_; }

Q_SIGNALS:
    void SessionConnected(int error);
    void SessionClosed(int error);
    void DataAvailable(int error);

private:
    enum class TPhase { Idle, Connecting, Negotiating, Encrypting, Connected, Closing, Closed };

    void TcpConnected();
    void TcpReadyRead();
    void TcpError(QAbstractSocket::SocketError error);
    void TcpDisconnected();
    void Negotiate();
    void Reached();
    void Established();
    void Fail(TSocketError error, const QString &text);
    void Finish(int error);

    // Plain until TLS is started on it.
    QSslSocket tcp_;
    QString address_;
    QString port_;
    TSocksProxy socks_;
    bool tls_ = false;
    std::unique_ptr<TSocksHandshake> handshake_;
    // Bytes the proxy sent after its final reply: the target's first data.
    QByteArray early_;
    TPhase phase_ = TPhase::Idle;
    QString errorText_;
};
