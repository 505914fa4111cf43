#include "TRawAlertClient.h"

#include "shared/AlertBody.h"
#include "shared/EZLibError.h"
#include "shared/UrlEncode.h"

#include <QDeadlineTimer>

bool TRawAlertClient::Connect(quint16 port)
{
    socket_.connectToHost(QStringLiteral("127.0.0.1"), port);
    return socket_.waitForConnected(DefaultWaitMs);
}

void TRawAlertClient::SendOpeningLines()
{
    SendPlain(OpeningLines());
}

void TRawAlertClient::SendPlain(const QByteArray &bytes)
{
    socket_.write(bytes);
    socket_.flush();
}

void TRawAlertClient::Queue(const TMessageToServer &request, qint32 messageId)
{
    compressor_.Write(EncodeRequest(request, messageId));
}

void TRawAlertClient::Flush()
{
    compressor_.Flush();
    SendPlain(compressor_.TakeOutput());
}

void TRawAlertClient::Send(const TMessageToServer &request, qint32 messageId)
{
    Queue(request, messageId);
    Flush();
}

void TRawAlertClient::SendLoginBurst(const QByteArray &user, const QByteArray &password,
                                     const QByteArray &sessionId,
                                     const QVector<QByteArray> &categories)
{
    SendOpeningLines();
    Queue(MakeMessage("command", "login", "username", user, "password", password, "session_id",
                      sessionId),
          LoginId);
    Queue(MakeMessage("command", "listen_for_alerts"), ListenId);
    for (const QByteArray &category : categories)
        Queue(MakeMessage("command", "add_alert_category", "category", category));
    Queue(MakeMessage("command", "ping", "response", "1"), FirstPingId);
    Flush();
}

bool TRawAlertClient::ReadMore(int timeoutMs)
{
    if (closed_ || !inflateError_.isEmpty() || !frameError_.isEmpty())
        return false;
    if (socket_.bytesAvailable() == 0 && !socket_.waitForReadyRead(timeoutMs)) {
        closed_ = socket_.state() != QAbstractSocket::ConnectedState;
        return false;
    }
    try {
        decompressor_.Decompress(socket_.readAll());
    } catch (const EZLibError &error) {
        inflateError_ = error.Message();
        return false;
    }
    const TFrameCut cut = CutFrames(decompressor_.Output());
    decompressor_.RemoveUsedOutput(cut.BytesUsed);
    frames_ += cut.Frames;
    if (cut.Status == csInvalidData)
        frameError_ = cut.Error;
    return true;
}

bool TRawAlertClient::NextFrame(TServerFrame &frame, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (frames_.isEmpty()) {
        if (deadline.hasExpired() || !ReadMore(int(std::max<qint64>(deadline.remainingTime(), 1))))
            return false;
    }
    frame = frames_.takeFirst();
    return true;
}

bool TRawAlertClient::FrameFor(qint32 messageId, TServerFrame &frame,
                               QVector<TServerFrame> *passedOver, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (NextFrame(frame, int(std::max<qint64>(deadline.remainingTime(), 1)))) {
        if (frame.MessageId == messageId)
            return true;
        if (passedOver)
            passedOver->append(frame);
    }
    return false;
}

bool TRawAlertClient::Alerts(int count, QVector<QByteArray> &bodies, QVector<TServerFrame> *others,
                             int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    TServerFrame frame;
    while (bodies.size() < count) {
        if (!FrameFor(ListenId, frame, others, int(std::max<qint64>(deadline.remainingTime(), 1))))
            return false;
        bodies.append(frame.Body);
    }
    return true;
}

bool TRawAlertClient::WaitForClose(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (socket_.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
        socket_.waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 1)));
        // Only the end of the connection matters now.
        socket_.readAll();
    }
    closed_ = socket_.state() != QAbstractSocket::ConnectedState;
    return closed_;
}

QByteArray AlertCategory(const QByteArray &body)
{
    return ReadAlertBody(body).Category.toByteArray();
}

QHash<QByteArray, QByteArray> AlertFields(const QByteArray &body)
{
    QHash<QByteArray, QByteArray> fields;
    const QByteArray line = ReadAlertBody(body).Fields.toByteArray();
    if (line.isEmpty())
        return fields;
    for (const QByteArray &item : line.split('&')) {
        const int equals = item.indexOf('=');
        if (equals >= 0)
            fields.insert(PercentDecode(item.left(equals)), PercentDecode(item.mid(equals + 1)));
    }
    return fields;
}
