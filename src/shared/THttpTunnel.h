#pragma once

#include "shared/LocalClock.h"
#include "net/TTransportSettings.h"
#include "shared/TGenericServerConnection.h"

#include <QMetaObject>

#include <memory>

class QBuffer;
class QTimer;
class THttpClient;
class TWakeMeSoon;
enum class THttpRequest;

// The server connection over plain HTTP, for networks that let only web traffic out,
// optionally through an HTTP or SOCKS 5 proxy. The server's bytes are the body of one
// long GET; it opens with two lines, the second naming where uploads go, and then
// carries the session's stream for as long as it lasts. Our bytes go up as numbered
// form POSTs, one at a time, each posted again with the same number and body until the
// server accepts it with 200.
//
// The tunnel talks only to the address it was given: the upload address must be a
// relative path or a URL with the tunnel's own scheme, host and port, and no redirect
// leaves that origin. Nothing counts as the server's data before a 2xx answer has
// brought both greeting lines, within GreetingTimeoutMs and MostGreetingBytes; a
// download that fails before that closes the tunnel with the reason in ErrorMessage.
class THttpTunnel : public TGenericServerConnection
{
public:
    enum : quint8 { ConnNew = 0, ConnConnecting = 1, ConnConnected = 2, ConnClosed = 3 };
    enum : quint8 { SendIdle = 0, SendResendPending = 1, SendInFlight = 2, SendDead = 3 };

    // Uploads carry at most this many bytes of the stream.
    static constexpr int ChunkBytes = 6000;
    static constexpr int WatchdogIntervalMs = 100;
    // Failures beyond the successes that the tunnel survives.
    static constexpr qint32 MostFailures = 3;
    // From this many received bytes not yet read on, the download waits for the reader
    // and the server's further bytes stay in the network.
    static constexpr qsizetype MostUnreadBytes = 4 * 1024 * 1024;
    // Both greeting lines are short; a server that sends more without ending them is
    // not a tunnel.
    static constexpr qsizetype MostGreetingBytes = 64 * 1024;

    // How long the answer and its greeting may take from Connect on. A server that
    // never answers, or answers a byte now and then, is given up after it.
    qint32 GreetingTimeoutMs = 10000;

    // Goes to the settings' tunnel address, through their HTTP or SOCKS 5 proxy.
    explicit THttpTunnel(const TTransportSettings &transport);
    ~THttpTunnel() override;

    bool Connect() override;
    void Send(const QByteArray &data) override;
    void Close() override;
    void ReadAvailable(QByteArray &data) override;

    quint8 ConnState() const { return connState_; }
    quint8 SendState() const { return sendState_; }
    qint32 Sequence() const { return sequence_; }
    qint32 FailureCount() const { return failureCount_; }
    const QString &TunnelAddress() const { return transport_.TunnelAddress; }
    // Received bytes not yet handed to the reader (while connecting: of the header).
    qsizetype UnreadBytes() const { return receiveBuffer_.size() - readOffset_; }

private:
    void ApplyProxySettings(THttpClient &client) const;
    void DownloadData(const QByteArray &piece);
    void DownloadDone(int error);
    void TakeHeaderLines();
    // Takes the upload address the greeting names when it is on the tunnel's own
    // origin; refuses the tunnel otherwise.
    bool AcceptUploadAddress(const QByteArray &line);
    // Closes a tunnel that never connected, saying why.
    void Refuse(const QString &reason);
    void CheckForSend();
    void StartUpload();
    void UploadDone(int error);
    void WatchdogTick();
    void DebugMessage(const QString &text);
    QString ClientStatus(const THttpClient &client) const;

    quint8 connState_ = ConnNew;
    // The server's bytes from readOffset_ on are not yet read.
    QByteArray receiveBuffer_;
    qsizetype readOffset_ = 0;
    QByteArray sendBuffer_;
    qint32 sequence_ = 0;
    quint8 sendState_ = SendIdle;
    std::unique_ptr<TWakeMeSoon> wakeUp_;
    std::unique_ptr<QTimer> watchdog_;
    std::unique_ptr<QTimer> greetingDeadline_;
    TSteadyMs uploadDeadline_ = 0;
    std::unique_ptr<THttpClient> downloadClient_;
    std::unique_ptr<THttpClient> uploadClient_;
    const TTransportSettings transport_;
    std::unique_ptr<QBuffer> uploadBody_;
    qint32 failureCount_ = 0;
    QMetaObject::Connection downloadData_;
    QMetaObject::Connection downloadDone_;
    QMetaObject::Connection uploadDone_;
};
