#pragma once

#include "shared/TMessageToServer.h"
#include "shared/TZLibCompressor.h"
#include "shared/TZLibDecompressor.h"
#include "shared/WireFormat.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QTcpSocket>
#include <QVector>

// A bare protocol client for end-to-end tests: it speaks the wire format directly,
// with no session logic in between, so tests see exactly what a server sends.
// Every wait is bounded.
class TRawAlertClient
{
public:
    static constexpr int DefaultWaitMs = 10000;
    // The identifiers SendLoginBurst gives its requests.
    static constexpr qint32 LoginId = 1;
    static constexpr qint32 ListenId = 2;
    static constexpr qint32 FirstPingId = 3;

    bool Connect(quint16 port);

    // The two plain opening lines.
    void SendOpeningLines();
    // Bytes straight onto the socket, outside the compressed stream.
    void SendPlain(const QByteArray &bytes);
    // Adds a request to the compressed stream; Flush sends what was queued.
    void Queue(const TMessageToServer &request, qint32 messageId = 0);
    void Flush();
    void Send(const TMessageToServer &request, qint32 messageId = 0);

    // What a client sends on a new connection, in one burst: the opening lines, login,
    // listen_for_alerts, one add_alert_category per category and a ping.
    void SendLoginBurst(const QByteArray &user, const QByteArray &password,
                        const QByteArray &sessionId, const QVector<QByteArray> &categories);

    // The next frame; false when none came in time, the connection closed or the
    // stream could not be inflated.
    bool NextFrame(TServerFrame &frame, int timeoutMs = DefaultWaitMs);
    // Reads frames until one answers messageId; the ones before it are appended to
    // passedOver when given.
    bool FrameFor(qint32 messageId, TServerFrame &frame,
                  QVector<TServerFrame> *passedOver = nullptr, int timeoutMs = DefaultWaitMs);
    // The next count alert bodies (frames for the ListenId stream); other frames are
    // appended to others when given. False when fewer came.
    bool Alerts(int count, QVector<QByteArray> &bodies, QVector<TServerFrame> *others = nullptr,
                int timeoutMs = DefaultWaitMs);

    // Reads, and drops, until the server closes the connection.
    bool WaitForClose(int timeoutMs = DefaultWaitMs);
    bool Closed() const { return closed_; }
    // zlib's text when the server's stream failed to inflate ("data error").
    const QString &InflateError() const { return inflateError_; }
    // Why the server's frames could not be cut, when they could not.
    const QString &FrameError() const { return frameError_; }

private:
    bool ReadMore(int timeoutMs);

    QTcpSocket socket_;
    TZLibCompressor compressor_;
    TZLibDecompressor decompressor_;
    QVector<TServerFrame> frames_;
    bool closed_ = false;
    QString inflateError_;
    QString frameError_;
};

// The fields of an alert body as a window reads them: the second line split at "&"
// and the first "=" of each item, keys and values percent-decoded, later keys winning.
QHash<QByteArray, QByteArray> AlertFields(const QByteArray &body);
// The first line of an alert body.
QByteArray AlertCategory(const QByteArray &body);
