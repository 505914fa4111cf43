#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// The byte pipe between a server session and the alert server. The owner makes it
// with its transport settings, hooks the events, then calls Connect once; an object
// serves one connection attempt and is destroyed afterwards.
//
// What every implementation guarantees its user:
// - Connect starts the attempt and returns without waiting: true when it is under
//   way; false when it failed on the spot, after setting ErrorMessage and raising
//   OnSessionClosed from inside Connect.
// - Send queues bytes for the server in order; it is allowed only after
//   OnConnected, and does nothing once the connection has ended.
// - Close ends the connection and raises OnSessionClosed unless it already ended.
// - ReadAvailable returns the received bytes not yet returned, possibly none; an
//   implementation may return them in bounded pieces, and the reader calls again
//   until it gets none.
// - OnConnected comes once, when bytes can be sent; OnDataAvailable whenever
//   received bytes wait (the reader takes them at its own pace); OnSessionClosed when the
//   connection ends for any reason, including the destruction of a connection that
//   had not yet ended. Events come from the event loop, one at a time; an unset one
//   is skipped.
class TGenericServerConnection
{
public:
    using TNotifyEvent = std::function<void(TGenericServerConnection *sender)>;
    using TDebugMessageEvent =
        std::function<void(TGenericServerConnection *sender, const QString &text)>;

    TGenericServerConnection() = default;
    TGenericServerConnection(const TGenericServerConnection &) = delete;
    TGenericServerConnection &operator=(const TGenericServerConnection &) = delete;
    virtual ~TGenericServerConnection();

    TNotifyEvent OnSessionClosed;
    TNotifyEvent OnConnected;
    TNotifyEvent OnDataAvailable;
    TDebugMessageEvent OnDebugMessage;

    // Why Connect failed; empty otherwise.
    QString ErrorMessage;

    virtual bool Connect() = 0;
    virtual void Send(const QByteArray &data) = 0;
    virtual void Close() = 0;
    virtual void ReadAvailable(QByteArray &data) = 0;
};
