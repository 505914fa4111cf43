#pragma once

#include "TFeedOptions.h"

#include "shared/TZLibCompressor.h"
#include "shared/TZLibDecompressor.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QVector>

#include <functional>

class QTcpSocket;
class TMessageToServer;
class TRequestRecorder;
class TUserTable;

// What every session shares; owned by the server and outliving its sessions.
struct TSessionServices
{
    const TUserTable *Users = nullptr;
    TRequestRecorder *Recorder = nullptr; // none without --record
    TFaultPlan Faults;
    std::function<QByteArray()> NewSessionId;
};

// The server's side of one client connection: checks the two plain opening lines,
// inflates the client's stream and cuts it into requests, answers logins and pings,
// keeps the alert stream's identifier and the subscribed categories, and sends
// frames in its own zlib stream with a sync flush at the end of every burst. Data it
// cannot read closes this connection only.
class TFeedSession : public QObject
{
    Q_OBJECT

public:
    // Takes ownership of the connected socket.
    TFeedSession(QTcpSocket *socket, int number, const TSessionServices &services,
                 QObject *parent = nullptr);
    ~TFeedSession() override;

    int Number() const { return number_; }

    // Logged in, listening for alerts and able to take them.
    bool Receiving() const;
    const QVector<QByteArray> &Categories() const { return categories_; }
    bool Subscribed(QByteArrayView category) const;
    // More unsent output than a reader keeping up would leave: alerts wait for it.
    bool Backlogged() const;

    // Adds an alert frame to the current burst.
    void QueueAlert(const QByteArray &body);
    // Ends the burst: a sync flush, so the client can inflate everything sent so far.
    void FlushBurst();

Q_SIGNALS:
    // Logged in, started listening or subscribed: the alert pacer may have work.
    void WantsAlerts();
    // The connection is gone; the session can be deleted.
    void Closed(TFeedSession *session);

private:
    void ReadIncoming();
    // Runs a step; what it throws fails the connection with the failure text before it.
    void RunOrFail(void (TFeedSession::*step)(), const QString &failure);
    void ParseIncoming();
    void HandleRequests();
    bool TakeOpeningLines(QByteArray &data);
    void HandleRequest(const TMessageToServer &request);
    void HandleLogin(qint32 messageId, const TMessageToServer &request);
    void HandlePing(qint32 messageId);
    void Answer(qint32 messageId, const QByteArray &body);
    void SendFlushed();
    // The bytes as the next piece of the stream, sync-flushed so the client can read
    // them at once.
    QByteArray CompressFlushed(const QByteArray &bytes);
    void CompressBurst();
    void Fail(const QString &reason);
    void DropConnection();
    void CorruptStream();
    void StartZlibBomb();
    void SendBadLength();
    void StartEmptyFlood();
    void StartBigFlood();
    void RunFaultStream(const QString &name, std::function<QByteArray()> nextPiece,
                        bool holdsTheStream);
    void ConnectionClosed();
    void Log(const QString &text) const;
    bool FaultDue(const std::optional<double> &afterSeconds) const;

    QTcpSocket *socket_;
    const int number_;
    const TSessionServices &services_;
    const QString peer_;
    QElapsedTimer age_;
    QByteArray opening_;
    bool openingDone_ = false;
    TZLibDecompressor decompressor_;
    // zlib's fastest level: at load rates the compressor is most of the feed's work,
    // and at the default level it alone could not keep up with 100,000 alerts a
    // second. Clients inflate any level alike.
    TZLibCompressor compressor_{zcFastest};
    // The alert frames of the current burst, compressed together when it ends: one
    // pass of the compressor per burst rather than per alert. Its memory is kept from
    // burst to burst.
    QByteArray burst_;
    bool loggedIn_ = false;
    qint32 alertStreamId_ = 0;
    QVector<QByteArray> categories_;
    bool pingsIgnoredLogged_ = false;
    // Set once garbage went out on purpose: the stream is beyond repair, nothing more
    // is sent.
    bool outputBroken_ = false;
    // A fault sends bytes the compressor did not make: everything else waits.
    bool streamHeld_ = false;
    bool closed_ = false;
    bool closeReported_ = false;
};
