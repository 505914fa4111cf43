#pragma once

#include "shared/TGenericServerConnection.h"

#include <memory>

class TAsyncSocket;

// The server connection over plain TCP, optionally through a SOCKS proxy.
class TSocketServerConnection : public TGenericServerConnection
{
public:
    enum : quint8 { StateNotConnected = 0, StateConnected = 1, StateClosed = 2 };

    TSocketServerConnection(const QString &address, const QString &port);
    ~TSocketServerConnection() override;

    bool Connect() override;
    void Send(const QByteArray &data) override;
    void Close() override;
    void ReadAvailable(QByteArray &data) override;

    const QString &Address() const { return address_; }
    const QString &Port() const { return port_; }
    quint8 State() const { return state_; }

private:
    void AttachSocket();
    void SocketConnected(int error);
    void SocketClosed();
    void SocketDataAvailable();

    std::unique_ptr<TAsyncSocket> socket_;
    QString address_;
    QString port_;
    quint8 state_ = StateNotConnected;
};
