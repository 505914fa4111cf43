#pragma once

#include "net/TTransportSettings.h"

#include <QByteArray>
#include <QString>

// The client side of a SOCKS 4/4a or SOCKS 5 CONNECT negotiation, as bytes in and
// bytes out, so it can be checked without a network. The socket sends Start(),
// then feeds every byte the proxy returns until the status is no longer
// InProgress; whatever the proxy sends after its final reply belongs to the
// target and is left in the caller's buffer.
class TSocksHandshake
{
public:
    enum class TStatus { InProgress, Succeeded, Failed };

    // Throws ESocketException for a level other than "4" or "5" and for names or
    // credentials that do not fit the protocol's length fields.
    TSocksHandshake(const TSocksProxy &proxy, const QString &targetHost, quint16 targetPort);

    QByteArray Start();
    // Consumes the reply bytes it understands from the front of `input` and returns
    // the bytes to send next (often none).
    QByteArray Feed(QByteArray &input);

    TStatus Status() const { return status_; }
    const QString &FailureText() const { return failureText_; }

private:
    enum class TStep { NotStarted, Socks4Reply, MethodReply, AuthenticationReply, Socks5Reply, Done };

    // Each Take... consumes one complete reply and returns true, or returns false
    // and leaves the input alone while the reply is still incomplete.
    bool TakeSocks4Reply(QByteArray &input);
    bool TakeMethodReply(QByteArray &input, QByteArray &output);
    bool TakeAuthenticationReply(QByteArray &input, QByteArray &output);
    bool TakeSocks5Reply(QByteArray &input);

    QByteArray Socks4Request() const;
    QByteArray Socks5Greeting() const;
    QByteArray Socks5Authentication() const;
    QByteArray Socks5ConnectRequest() const;
    void Fail(const QString &text);
    void Succeed();

    bool socks5_ = false;
    bool authenticate_ = false;
    QByteArray host_;
    quint16 port_ = 0;
    QByteArray usercode_;
    QByteArray password_;
    TStep step_ = TStep::NotStarted;
    TStatus status_ = TStatus::InProgress;
    QString failureText_;
};
