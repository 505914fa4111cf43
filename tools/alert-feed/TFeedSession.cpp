#include "TFeedSession.h"

#include "FeedLog.h"
#include "TFaultStream.h"
#include "TRequestRecorder.h"
#include "TUserTable.h"

#include "shared/EZLibError.h"
#include "shared/TMessageToServer.h"
#include "shared/WireFormat.h"

#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// A client that reads this far behind gets no more alerts until it catches up.
constexpr qint64 BacklogLimit = 4 * 1024 * 1024;
// zlib inflates at most about a thousand times, so a slice inflates to a few MiB.
constexpr qsizetype InflateSlice = 4096;
// Requests are a few short texts; one this long is not a request of ours.
constexpr qsizetype MaxUnfinishedRequest = 2 * qsizetype(MaxWireLength);

const QByteArray RejectedLoginText = "Invalid user name or password.";

// Bytes no inflater accepts: after a sync flush a new block starts, and a block type
// of 3 is reserved, so the client's zlib reports a data error.
const QByteArray CorruptBytes(16, char(0xFF));

qint32 MessageIdOf(const TMessageToServer &request)
{
    bool ok = false;
    const qint32 id = request.Value("message_id").toInt(&ok);
    return ok && id > 0 ? id : 0;
}

int Milliseconds(double seconds)
{
    return int(std::min(std::llround(seconds * 1000.0), qint64(INT_MAX)));
}

} // namespace

TFeedSession::TFeedSession(QTcpSocket *socket, int number, const TSessionServices &services,
                           QObject *parent)
    : QObject(parent),
      socket_(socket),
      number_(number),
      services_(services),
      peer_(socket->peerAddress().toString() + u':' + QString::number(socket->peerPort()))
{
    socket_->setParent(this);
    age_.start();
    connect(socket_, &QTcpSocket::readyRead, this, &TFeedSession::ReadIncoming);
    connect(socket_, &QTcpSocket::disconnected, this, &TFeedSession::ConnectionClosed);
    if (services_.Faults.DropAfterSeconds)
        QTimer::singleShot(Milliseconds(*services_.Faults.DropAfterSeconds), this,
                           &TFeedSession::DropConnection);
    const QPair<std::optional<double>, void (TFeedSession::*)()> timedFaults[] = {
        {services_.Faults.CorruptAfterSeconds, &TFeedSession::CorruptStream},
        {services_.Faults.BombAfterSeconds, &TFeedSession::StartZlibBomb},
        {services_.Faults.BadLengthAfterSeconds, &TFeedSession::SendBadLength},
        {services_.Faults.EmptyFloodAfterSeconds, &TFeedSession::StartEmptyFlood},
        {services_.Faults.BigFloodAfterSeconds, &TFeedSession::StartBigFlood},
    };
    for (const auto &[afterSeconds, fault] : timedFaults)
        if (afterSeconds)
            QTimer::singleShot(Milliseconds(*afterSeconds), this, fault);
    Log(QStringLiteral("connected"));
    // Bytes may have arrived before the signal was connected.
    if (socket_->bytesAvailable() > 0)
        QTimer::singleShot(0, this, &TFeedSession::ReadIncoming);
}

TFeedSession::~TFeedSession()
{
    // The socket still closes as it goes; nobody is to hear of it any more.
    socket_->disconnect(this);
}

void TFeedSession::Log(const QString &text) const
{
    FeedLog(QStringLiteral("connection %1 (%2): %3").arg(number_).arg(peer_, text));
}

bool TFeedSession::Receiving() const
{
    return loggedIn_ && alertStreamId_ > 0 && !outputBroken_ && !closed_ && !streamHeld_;
}

bool TFeedSession::Subscribed(QByteArrayView category) const
{
    return std::any_of(categories_.begin(), categories_.end(),
                       [category](const QByteArray &subscribed) { return subscribed == category; });
}

bool TFeedSession::Backlogged() const
{
    return socket_->bytesToWrite() > BacklogLimit;
}

bool TFeedSession::FaultDue(const std::optional<double> &afterSeconds) const
{
    return afterSeconds && age_.elapsed() >= Milliseconds(*afterSeconds);
}

void TFeedSession::ReadIncoming()
{
    if (closed_)
        return;
    RunOrFail(&TFeedSession::ParseIncoming, QStringLiteral("internal error: "));
}

void TFeedSession::RunOrFail(void (TFeedSession::*step)(), const QString &failure)
{
    // An error must not escape into the event loop; it ends this connection only.
    try {
        (this->*step)();
    } catch (const std::exception &error) {
        Fail(failure + QString::fromUtf8(error.what()));
    }
}

void TFeedSession::ParseIncoming()
{
    QByteArray data = socket_->readAll();
    if (!openingDone_ && !TakeOpeningLines(data))
        return;
    // Inflated a slice at a time, so that a small run of compressed bytes that inflates
    // to a flood is refused before it fills the memory.
    for (qsizetype offset = 0; offset < data.size() && !closed_; offset += InflateSlice) {
        try {
            decompressor_.Decompress(data.mid(offset, InflateSlice));
        } catch (const EZLibError &error) {
            Fail(QStringLiteral("invalid compressed data: ") + error.Message());
            return;
        }
        HandleRequests();
    }
    FlushBurst();
}

void TFeedSession::HandleRequests()
{
    const TRequestCut cut = CutRequests(decompressor_.Output());
    decompressor_.RemoveUsedOutput(cut.BytesUsed);
    for (const TMessageToServer &request : cut.Requests) {
        // A bare terminator: no client sends one, and a stream of them is a flood.
        if (request.IsEmpty()) {
            Fail(QStringLiteral("invalid request data: an empty request"));
            return;
        }
        HandleRequest(request);
    }
    if (cut.Status == csInvalidData)
        Fail(QStringLiteral("invalid request data: ") + cut.Error);
    else if (decompressor_.Output().size() > MaxUnfinishedRequest)
        Fail(QStringLiteral("invalid request data: a request larger than %1 bytes")
                 .arg(MaxUnfinishedRequest));
}

// Collects the plain opening lines; leaves in data what follows them. False while
// they are incomplete or when they are wrong (the connection is then closed).
bool TFeedSession::TakeOpeningLines(QByteArray &data)
{
    opening_.append(data);
    const TOpeningCut cut = CutOpeningLines(opening_);
    if (cut.Status == csInvalidData) {
        Fail(QStringLiteral("did not open with the two mode lines"));
        return false;
    }
    if (cut.BytesUsed == 0)
        return false;
    data = opening_.mid(cut.BytesUsed);
    opening_.clear();
    openingDone_ = true;
    return true;
}

void TFeedSession::HandleRequest(const TMessageToServer &request)
{
    if (services_.Recorder)
        services_.Recorder->Record(number_, request);
    const QByteArray command = request.Value("command");
    const qint32 messageId = MessageIdOf(request);
    if (command == "login") {
        HandleLogin(messageId, request);
    } else if (command == "listen_for_alerts") {
        if (messageId == 0) {
            Log(QStringLiteral("listen_for_alerts without a message_id ignored"));
            return;
        }
        // A later request replaces the stream: alerts go to the newest identifier.
        alertStreamId_ = messageId;
        Q_EMIT WantsAlerts();
    } else if (command == "add_alert_category") {
        const QByteArray category = request.Value("category");
        if (!category.isEmpty() && !categories_.contains(category)) {
            categories_.append(category);
            Q_EMIT WantsAlerts();
        }
    } else if (command == "ping") {
        HandlePing(messageId);
    } else {
        Log(QStringLiteral("ignored unknown request ") + MessageToDebugText(request));
    }
}

void TFeedSession::HandleLogin(qint32 messageId, const TMessageToServer &request)
{
    const QByteArray user = request.Value("username");
    if (services_.Faults.StopLoginText) {
        loggedIn_ = false;
        Log(QStringLiteral("login of %1 stopped (--stop-login)").arg(QString::fromUtf8(user)));
        Answer(messageId, "STOP\r\n" + *services_.Faults.StopLoginText);
        return;
    }
    if (!services_.Users->Accepts(user, request.Value("password"))) {
        loggedIn_ = false;
        Log(QStringLiteral("login of %1 rejected").arg(QString::fromUtf8(user)));
        Answer(messageId, "STOP\r\n" + RejectedLoginText);
        return;
    }
    // A client that comes back with its identifier keeps it.
    QByteArray sessionId = request.Value("session_id");
    if (sessionId.isEmpty())
        sessionId = services_.NewSessionId();
    loggedIn_ = true;
    Log(QStringLiteral("%1 logged in, session %2")
            .arg(QString::fromUtf8(user), QString::fromUtf8(sessionId)));
    Answer(messageId, "SESSION ID\r\n" + sessionId);
    Q_EMIT WantsAlerts();
}

void TFeedSession::HandlePing(qint32 messageId)
{
    if (FaultDue(services_.Faults.IgnorePingsAfterSeconds)) {
        if (!pingsIgnoredLogged_)
            Log(QStringLiteral("ignoring pings from now on (--ignore-pings-after)"));
        pingsIgnoredLogged_ = true;
        return;
    }
    Answer(messageId, QByteArray());
}

void TFeedSession::Answer(qint32 messageId, const QByteArray &body)
{
    // A request without an identifier asked for no answer. Alerts queued before it
    // go first.
    if (messageId > 0 && !outputBroken_) {
        CompressBurst();
        compressor_.Write(EncodeFrame(messageId, body));
    }
}

void TFeedSession::QueueAlert(const QByteArray &body)
{
    if (!Receiving())
        return;
    AppendInt32(burst_, alertStreamId_);
    AppendText(burst_, body);
}

void TFeedSession::CompressBurst()
{
    if (burst_.isEmpty())
        return;
    compressor_.Write(burst_);
    // The compressor holds on to the frames until its next write or flush, so this
    // burst's memory goes with them.
    burst_.clear();
}

void TFeedSession::FlushBurst()
{
    if (outputBroken_ || closed_)
        return;
    RunOrFail(&TFeedSession::SendFlushed, QStringLiteral("cannot compress: "));
}

void TFeedSession::SendFlushed()
{
    // Answers wait in the compressor until a fault that holds the stream is over.
    if (streamHeld_)
        return;
    if (!burst_.isEmpty())
        compressor_.Write(burst_);
    compressor_.Flush();
    // Compressed, and let go by the compressor: the burst's room stays for the next.
    burst_.resize(0);
    const QByteArray output = compressor_.TakeOutput();
    if (!output.isEmpty())
        socket_->write(output);
}

void TFeedSession::Fail(const QString &reason)
{
    if (closed_)
        return;
    Log(QStringLiteral("closing: ") + reason);
    closed_ = true;
    // Answers to the requests before the bad data still go out, if they can.
    if (!outputBroken_) {
        try {
            SendFlushed();
        } catch (const std::exception &) {
        }
    }
    socket_->disconnectFromHost();
    if (socket_->state() == QAbstractSocket::UnconnectedState)
        ConnectionClosed();
}

void TFeedSession::DropConnection()
{
    if (closed_)
        return;
    Log(QStringLiteral("dropping the connection (--drop-after)"));
    closed_ = true;
    socket_->abort();
    ConnectionClosed();
}

void TFeedSession::CorruptStream()
{
    if (closed_ || outputBroken_)
        return;
    Log(QStringLiteral("corrupting the stream (--corrupt-after)"));
    // Everything sent so far stays readable; the garbage starts a block of its own.
    FlushBurst();
    if (closed_)
        return;
    socket_->write(CorruptBytes);
    outputBroken_ = true;
}

void TFeedSession::RunFaultStream(const QString &name, std::function<QByteArray()> nextPiece,
                                  bool holdsTheStream)
{
    Log(QStringLiteral("starting ") + name);
    // Everything before the fault goes out first, ending on a frame boundary.
    FlushBurst();
    streamHeld_ = holdsTheStream;
    auto *stream = new TFaultStream(socket_, std::move(nextPiece), this);
    connect(stream, &TFaultStream::Finished, this, [this, stream, name] {
        Log(name + QStringLiteral(" sent"));
        stream->deleteLater();
        streamHeld_ = false;
        FlushBurst();
        Q_EMIT WantsAlerts();
    });
    stream->Start();
}

void TFeedSession::StartZlibBomb()
{
    if (closed_ || outputBroken_)
        return;
    // Once the window holds nothing but zeros, every further MiB of zeros compresses
    // to the same bytes: the run is sent without compressing it, and the compressor,
    // whose window holds zeros as well, goes on afterwards as if it had.
    FlushBurst();
    const QByteArray zeros(1024 * 1024, '\0');
    const QByteArray first = CompressFlushed(zeros);
    const QByteArray again = CompressFlushed(zeros);
    qint64 left = services_.Faults.BombMebibytes;
    RunFaultStream(QStringLiteral("a zlib bomb of %1 MiB (--bomb-after)").arg(left),
                   [first, again, left, firstSent = false]() mutable {
                       if (left <= 0)
                           return QByteArray();
                       --left;
                       if (firstSent)
                           return again;
                       firstSent = true;
                       return first;
                   },
                   true);
}

void TFeedSession::SendBadLength()
{
    if (closed_ || outputBroken_)
        return;
    Log(QStringLiteral("sending a frame length of %1 (--bad-length-after)").arg(MaxWireLength + 1));
    FlushBurst();
    QByteArray header;
    AppendInt32(header, alertStreamId_);
    AppendInt32(header, MaxWireLength + 1);
    compressor_.Write(header);
    FlushBurst();
    // No body could follow a length like that: the stream is over.
    outputBroken_ = true;
}

void TFeedSession::StartEmptyFlood()
{
    if (closed_ || outputBroken_)
        return;
    QByteArray burst;
    for (int i = 0; i < 100000; ++i)
        burst += EncodeFrame(alertStreamId_, QByteArray());
    QElapsedTimer running;
    running.start();
    const qint64 durationMs = Milliseconds(services_.Faults.FloodSeconds);
    RunFaultStream(QStringLiteral("a flood of empty frames (--empty-flood-after)"),
                   [this, burst, running, durationMs]() {
                       if (running.elapsed() >= durationMs)
                           return QByteArray();
                       return CompressFlushed(burst);
                   },
                   false);
}

void TFeedSession::StartBigFlood()
{
    if (closed_ || outputBroken_)
        return;
    // A valid alert of the first subscribed category, padded to the longest body.
    QByteArray body = categories_.value(0, "QuickStrike") + "\r\nsymbol=BIG&note=";
    body.append(MaxWireLength - body.size(), 'x');
    const QByteArray frame = EncodeFrame(alertStreamId_, body);
    qint64 left = services_.Faults.BigFrames;
    RunFaultStream(QStringLiteral("%1 frames of %2 bytes (--big-flood-after)").arg(left).arg(MaxWireLength),
                   [this, frame, left]() mutable {
                       if (left-- <= 0)
                           return QByteArray();
                       return CompressFlushed(frame);
                   },
                   false);
}

QByteArray TFeedSession::CompressFlushed(const QByteArray &bytes)
{
    compressor_.Write(bytes);
    compressor_.Flush();
    return compressor_.TakeOutput();
}

void TFeedSession::ConnectionClosed()
{
    // Reached from the socket's signal and from our own closing; reported once.
    if (closeReported_)
        return;
    closeReported_ = true;
    closed_ = true;
    Log(QStringLiteral("disconnected"));
    Q_EMIT Closed(this);
}
