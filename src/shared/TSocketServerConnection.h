#pragma once

#include "net/TTransportSettings.h"
#include "shared/TGenericServerConnection.h"

#include <memory>

class TAsyncSocket;

// The server connection over plain TCP, optionally through a SOCKS proxy.
class TSocketServerConnection : public TGenericServerConnection
{
public:
    enum : quint8 { StateNotConnected = 0, StateConnected = 1, StateClosed = 2 };

    // Goes to the settings' server address, through their SOCKS proxy when one is set.
    explicit TSocketServerConnection(const TTransportSettings &transport);
    ~TSocketServerConnection() override;

    bool Connect() override;
    void Send(const QByteArray &data) override;
    void Close() override;
    void ReadAvailable(QByteArray &data) override;

    quint8 State() const { return state_; }

private:
    void AttachSocket();
    void SocketConnected(int error);
    void SocketClosed();
    void SocketDataAvailable();

    std::unique_ptr<TAsyncSocket> socket_;
    const TTransportSettings transport_;
    quint8 state_ = StateNotConnected;
};
