#include "shared/TTalkWithServer.h"

#include "shared/DebugSink.h"
#include "shared/Exception.h"
#include "shared/TGenericServerConnection.h"
#include "shared/THttpTunnel.h"
#include "shared/TSocketServerConnection.h"
#include "shared/TWakeMeSoon.h"
#include "shared/TZLibCompressor.h"
#include "shared/TZLibDecompressor.h"
#include "shared/WireFormat.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <utility>

namespace {

// Shared by every session of the process, so no handle ever matches a slot of another
// session or a later request in the same slot.
qint64 NextSerial = 0;

// Compressed output this large goes out at once instead of waiting for the wake-up.
constexpr int PassOnCompressedBytes = 5000;

// Inflated bytes per receive step: large enough that going back to the event loop
// between steps costs little, small enough that timers, pings and paints never wait
// long behind a flood.
constexpr qsizetype InflateSliceBytes = 64 * 1024;

// The server's frames could not be cut: its stream is not one we can follow.
class EInvalidServerData : public Exception
{
public:
    using Exception::Exception;
    const char *ClassName() const override { return "EInvalidServerData"; }
};

} // namespace

TTalkWithServer::TTalkWithServer(const TTransportSettings &transport)
    : transport_(transport),
      wakeUp_(std::make_unique<TWakeMeSoon>()),
      compressor_(std::make_unique<TZLibCompressor>(zcDefault)),
      decompressor_(std::make_unique<TZLibDecompressor>()),
      receiveWakeUp_(std::make_unique<TWakeMeSoon>()),
      errorMessage_(QStringLiteral("Unable to connect to server.")),
      lifeToken_(std::make_shared<char>())
{
    wakeUp_->OnWakeUp = [this] { FlushOutput(); };
    receiveWakeUp_->OnWakeUp = [this] { ContinueReceiving(); };
    WriteRaw(OpeningLines());
}

TTalkWithServer::~TTalkWithServer()
{
    // Answer whatever still waits, so no caller is left hanging.
    if (state_ != TState::Closed)
        ServerDisconnected();
    if (receiving_) {
        // Destroyed from inside a receive step, which may have been called through
        // this wake-up: it is freed once that call is over, and so are the inflated
        // bytes, whose frame bodies callers further up the stack may still be reading.
        receiveWakeUp_->OnWakeUp = nullptr;
        TWakeMeSoon *orphan = receiveWakeUp_.release();
        TZLibDecompressor *inflated = decompressor_.release();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [orphan, inflated] {
                delete orphan;
                delete inflated;
            },
            Qt::QueuedConnection);
    }
    std::unique_ptr<TGenericServerConnection> connection = std::move(connection_);
    if (connection && connectionEventDepth_ > 0) {
        // We are being destroyed from inside one of the connection's own events, which
        // is still on the call stack: detach it and free it once that event is over.
        connection->OnSessionClosed = nullptr;
        connection->OnConnected = nullptr;
        connection->OnDataAvailable = nullptr;
        connection->OnDebugMessage = nullptr;
        TGenericServerConnection *orphan = connection.release();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [orphan] { delete orphan; }, Qt::QueuedConnection);
    }
    // Otherwise the connection reports its own end as it goes, which runs
    // ServerDisconnected once more; that run finds nothing left to answer.
    connection.reset();
}

void TTalkWithServer::Connect()
{
    AZ_ASSERT(state_ == TState::Waiting && !connectStarted_);
    connectStarted_ = true;

    connection_ = CreateConnection();
    TGenericServerConnection *connection = connection_.get();
    const std::weak_ptr<char> alive = lifeToken_;

    errorMessage_.clear();
    const bool started = connection->Connect();
    if (alive.expired())
        return;
    // A start that failed on the spot has already closed the session.
    errorMessage_ = started ? QStringLiteral("Error in server connection.")
                            : connection->ErrorMessage;
}

std::unique_ptr<TGenericServerConnection> TTalkWithServer::CreateConnection()
{
    std::unique_ptr<TGenericServerConnection> connection;
    if (!transport_.TunnelAddress.isEmpty())
        connection = std::make_unique<THttpTunnel>(transport_);
    else
        connection = std::make_unique<TSocketServerConnection>(transport_);

    connection->OnSessionClosed = [this](TGenericServerConnection *sender) {
        RunConnectionEvent([this, sender] { ServerConnectionClosed(sender); });
    };
    connection->OnConnected = [this](TGenericServerConnection *) {
        RunConnectionEvent([this] { ServerConnected(); });
    };
    connection->OnDataAvailable = [this](TGenericServerConnection *sender) {
        RunConnectionEvent([this, sender] { ServerConnectionDataAvailable(sender); });
    };
    connection->OnDebugMessage = [this](TGenericServerConnection *, const QString &text) {
        if (OnDebugMessage)
            RunConnectionEvent([this, &text] { OnDebugMessage(text); });
    };
    return connection;
}

template <typename Step>
void TTalkWithServer::RunConnectionEvent(const Step &step)
{
    const std::weak_ptr<char> alive = lifeToken_;
    ++connectionEventDepth_;
    step();
    if (!alive.expired())
        --connectionEventDepth_;
}

void TTalkWithServer::WriteRaw(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    switch (state_) {
    case TState::Waiting:
        pendingOutput_ += bytes;
        break;
    case TState::Connected:
        connection_->Send(bytes);
        break;
    case TState::Closed:
        break;
    }
}

void TTalkWithServer::WriteCompressed(const QByteArray &bytes)
{
    compressor_->Write(bytes);
    if (compressor_->Output().size() >= PassOnCompressedBytes)
        WriteRaw(compressor_->TakeOutput());
    wakeUp_->RequestWakeUp();
}

void TTalkWithServer::FlushOutput()
{
    // Sync flush so the server can inflate everything sent so far.
    compressor_->Flush();
    WriteRaw(compressor_->TakeOutput());
}

int TTalkWithServer::TakeFreeSlot()
{
    // The highest free slot is reused first.
    for (int i = pendingRequests_.size() - 1; i >= 0; --i)
        if (!pendingRequests_[i].Target)
            return i;
    const int slot = pendingRequests_.size();
    pendingRequests_.resize(std::max(8, 2 * slot));
    return slot;
}

TMessageHandle TTalkWithServer::SendMessage(const TMessageToServer &Msg, bool Permanent,
                                            const TResponseCallback &Callback)
{
    TMessageHandle handle;
    if (state_ == TState::Closed || Msg.IsEmpty()) {
        if (Callback)
            SendErrorResponse(Msg, Permanent, Callback);
        return handle;
    }

    if (Callback) {
        const int slot = TakeFreeSlot();
        TPendingRequest &request = pendingRequests_[slot];
        request.Target = std::make_shared<const TAnswerTarget>(TAnswerTarget{Msg, Callback});
        request.Permanent = Permanent;
        request.Serial = NextSerial++;
        handle.Id = slot + 1;
        handle.Serial = request.Serial;
    }
    WriteCompressed(EncodeRequest(Msg, handle.Id));
    return handle;
}

void TTalkWithServer::CancelCallback(const TMessageHandle &Handle)
{
    if (Handle.Id < 1 || Handle.Id > pendingRequests_.size())
        return;
    TPendingRequest &request = pendingRequests_[Handle.Id - 1];
    // A new target rather than a change to the old one, whose callback may be running.
    if (request.Target && request.Serial == Handle.Serial) {
        const TMessageToServer message = request.Target->Message;
        request.Target = std::make_shared<const TAnswerTarget>(TAnswerTarget{message, nullptr});
    }
}

void TTalkWithServer::ServerConnected()
{
    errorMessage_ = QStringLiteral("Unexpected disconnect from server.");
    state_ = TState::Connected;
    connection_->Send(pendingOutput_);
    pendingOutput_.clear();
    if (OnConnected)
        OnConnected();
}

void TTalkWithServer::ServerConnectionClosed(TGenericServerConnection *sender)
{
    // Bytes the server sent before it closed are still read and delivered first, as
    // they would have been had they come in one piece.
    const bool bytesWaiting = receiving_ || receiveWakeUp_->IsPending()
                              || decompressor_->HasPendingInput();
    if (state_ == TState::Connected && !serverDataRejected_ && bytesWaiting) {
        closeWaiting_ = true;
        return;
    }
    closeWaiting_ = false;
    // A connection that never opened may know better why ("DNS error") than our
    // general text does.
    if (state_ == TState::Waiting && sender && !sender->ErrorMessage.isEmpty())
        errorMessage_ = sender->ErrorMessage;
    ServerDisconnected();
}

void TTalkWithServer::ServerConnectionDataAvailable(TGenericServerConnection *)
{
    ContinueReceiving();
}

void TTalkWithServer::ContinueReceiving()
{
    if (receiving_) {
        receiveAgain_ = true;
        return;
    }
    const std::weak_ptr<char> alive = lifeToken_;
    receiving_ = true;
    const bool more = ReceiveStep();
    if (alive.expired())
        return;
    receiving_ = false;
    if (more || std::exchange(receiveAgain_, false)) {
        // The rest waits for the next turn of the event loop, behind timers and paints.
        receiveWakeUp_->RequestWakeUp();
    } else if (closeWaiting_) {
        ServerConnectionClosed(connection_.get());
    }
}

// One slice of the receive path: reads a bounded piece from the connection when the
// previous one has been inflated, inflates at most one slice of it and delivers the
// frames it completes. True while there may be more to do.
bool TTalkWithServer::ReceiveStep()
{
    TGenericServerConnection *sender = connection_.get();
    if (!sender || serverDataRejected_)
        return false;
    bool connectionDrained = false;
    try {
        if (!decompressor_->HasPendingInput()) {
            QByteArray received;
            sender->ReadAvailable(received);
            connectionDrained = received.isEmpty();
            decompressor_->Feed(received);
        }
        // Never more than one frame of the longest length plus its header: a header
        // naming more is refused as soon as it is read.
        const qsizetype room = MaxFrameBytes - decompressor_->Output().size();
        decompressor_->InflateSlice(std::min(InflateSliceBytes, room));
        peakUndelivered_ = std::max(peakUndelivered_, decompressor_->Output().size());
    } catch (const std::exception &error) {
        const std::weak_ptr<char> alive = lifeToken_;
        RejectServerData(sender, error);
        if (alive.expired())
            return false;
    }
    const std::weak_ptr<char> alive = lifeToken_;
    ParseIncoming(sender);
    if (alive.expired())
        return false;
    // Done only once the connection had nothing more to give; any read that brought
    // something may have left more behind it.
    return !serverDataRejected_ && !connectionDrained;
}

void TTalkWithServer::RejectServerData(TGenericServerConnection *sender,
                                       const std::exception &error)
{
    serverDataRejected_ = true;
    errorMessage_ = QStringLiteral("Invalid data from server: ") + ExceptionMessage(error);
    ReportException(error, QStringLiteral("TalkWithServer, TTalkWithServer.ServerConnectionDataAvailable"));
    sender->Close();
}

void TTalkWithServer::ParseIncoming(TGenericServerConnection *sender)
{
    // Each frame goes to its callback as soon as it is cut. The callbacks may send,
    // close or even destroy us; a nested receive step waits for this one to end, so
    // the output is not touched behind our back.
    const std::weak_ptr<char> alive = lifeToken_;
    const QByteArray &inflated = decompressor_->Output();
    qsizetype offset = 0;
    QString error;
    for (;;) {
        qint32 messageId = 0;
        qint32 length = 0;
        const TFrameRead read = ReadFrameHeader(inflated, offset, messageId, length, error);
        if (read == frIncomplete)
            break;
        if (read == frInvalid) {
            decompressor_->RemoveUsedOutput(inflated.size());
            RejectServerData(sender, EInvalidServerData(error));
            return;
        }
        const qsizetype bodyOffset = offset + 8;
        offset = bodyOffset + length;
        // Frames for no request are dropped without copying their bodies.
        if (messageId < 1 || messageId > pendingRequests_.size())
            continue;
        SendGoodResponse(messageId, QByteArrayView(inflated).sliced(bodyOffset, length));
        if (alive.expired())
            return;
    }
    decompressor_->RemoveUsedOutput(offset);
}

void TTalkWithServer::SendGoodResponse(qint32 Id, QByteArrayView Body)
{
    if (Id < 1 || Id > pendingRequests_.size())
        return;
    TPendingRequest &request = pendingRequests_[Id - 1];
    // Held rather than read through the slot: the callback may send new requests, which
    // can move the slots, or cancel its own.
    const std::shared_ptr<const TAnswerTarget> target = request.Target;
    if (!request.Permanent)
        request.Target.reset();
    if (!target || !target->Callback)
        return;
    try {
        if (OnResponse)
            OnResponse(true, Body, target->Message);
        target->Callback(true, Body, target->Message);
    } catch (const std::exception &error) {
        ReportException(error, QStringLiteral("TTalkWithServer.SendGoodResponse, ")
                                   + MessageToDebugText(target->Message));
    }
}

void TTalkWithServer::SendErrorResponse(const TMessageToServer &Msg, bool Permanent,
                                        const TResponseCallback &Callback)
{
    try {
        if (OnResponse && !Permanent)
            OnResponse(false, QByteArrayView(), Msg);
        Callback(false, QByteArrayView(), Msg);
    } catch (const std::exception &error) {
        ReportException(error, QStringLiteral("TTalkWithServer.SendErrorResponse, ")
                                   + MessageToDebugText(Msg));
    }
}

void TTalkWithServer::ServerDisconnected()
{
    state_ = TState::Closed;
    pendingOutput_.clear();
    compressor_->ClearOutput();

    const std::weak_ptr<char> alive = lifeToken_;
    if (OnDisconnected) {
        OnDisconnected();
        if (alive.expired())
            return;
    }
    // Each slot is emptied before its answer, so a nested run cannot answer it twice.
    for (int i = 0; i < pendingRequests_.size(); ++i) {
        const TPendingRequest request = std::exchange(pendingRequests_[i], TPendingRequest());
        if (!request.Target || !request.Target->Callback)
            continue;
        SendErrorResponse(request.Target->Message, request.Permanent, request.Target->Callback);
        if (alive.expired())
            return;
    }
    pendingRequests_.clear();
}
