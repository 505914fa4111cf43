#pragma once

#include "net/TTransportSettings.h"
#include "shared/TMessageToServer.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>

class TGenericServerConnection;
class TWakeMeSoon;
class TZLibCompressor;
class TZLibDecompressor;

// Names one request sent with a callback. Id is the request's message identifier (0 when
// it has no callback or was refused); Serial tells it apart from every other request of
// the process, so a handle kept past the end of its session or past the answer of a
// one-shot request matches nothing.
struct TMessageHandle
{
    qint32 Id = 0;
    qint64 Serial = 0;
};

// Receives the answers to one request: Success with the body of a server frame, or
// Success false with an empty body when the request cannot be or was not answered. The
// body is a view into the session's inflated bytes, valid only during the call: a
// callback that keeps it copies it (toByteArray).
using TResponseCallback =
    std::function<void(bool Success, QByteArrayView Body, const TMessageToServer &Msg)>;

// One conversation with the alert server over one connection: sends the opening lines,
// numbers and compresses requests, batches them until the event loop is free, inflates
// what the server sends, cuts it into frames and hands each frame to the callback of
// the request it answers. Used once: after it has closed, the owner makes a new one.
class TTalkWithServer
{
public:
    enum class TState { Waiting, Connected, Closed };

    // The session reaches the server as the settings say, over TCP or the tunnel; one
    // that is never connected needs none.
    explicit TTalkWithServer(const TTransportSettings &transport = TTransportSettings());
    ~TTalkWithServer();

    TTalkWithServer(const TTalkWithServer &) = delete;
    TTalkWithServer &operator=(const TTalkWithServer &) = delete;

    // Starts the connection; allowed once, before anything else has closed the session.
    void Connect();

    // Queues one request. With a callback the request gets a slot and a message
    // identifier; a permanent slot serves every frame with its identifier until the
    // session ends, a one-shot slot is freed by the first answer. A closed session or
    // an empty request answers the callback at once with an error.
    TMessageHandle SendMessage(const TMessageToServer &Msg, bool Permanent,
                               const TResponseCallback &Callback = {});

    // Forgets the callback of a request that still waits for its answer; a handle of
    // another session or of an answered request changes nothing.
    void CancelCallback(const TMessageHandle &Handle);

    TState State() const { return state_; }
    const QString &ErrorMessage() const { return errorMessage_; }
    // True once Connect has run, even while the connection is still opening.
    bool ConnectStarted() const { return connectStarted_; }
    // True once the server sent something that could not be read.
    bool DataRejected() const { return serverDataRejected_; }
    // The most inflated bytes held at once, waiting to be cut into frames: never more
    // than one frame of the longest length plus its header.
    qsizetype PeakUndeliveredBytes() const { return peakUndelivered_; }

    std::function<void()> OnConnected;
    std::function<void()> OnDisconnected;
    // Raised before the callback of a request is given an answer (not before the error
    // answers of permanent requests).
    TResponseCallback OnResponse;
    std::function<void(const QString &text)> OnDebugMessage;

private:
    // What a request's answers go to, shared so that a frame is answered without a copy
    // of either while its callback may send new requests, which can move the slots.
    struct TAnswerTarget
    {
        TMessageToServer Message;
        TResponseCallback Callback; // empty once cancelled
    };

    struct TPendingRequest
    {
        std::shared_ptr<const TAnswerTarget> Target; // none: the slot is free
        qint64 Serial = 0;
        bool Permanent = false;
    };

    std::unique_ptr<TGenericServerConnection> CreateConnection();

    // Runs one event of the connection, counting it so that a session destroyed from
    // inside it leaves the connection alive until the event is over.
    template <typename Step>
    void RunConnectionEvent(const Step &step);

    void WriteRaw(const QByteArray &bytes);
    void WriteCompressed(const QByteArray &bytes);
    void FlushOutput();
    int TakeFreeSlot();

    void ServerConnected();
    void ServerConnectionClosed(TGenericServerConnection *sender);
    void ServerConnectionDataAvailable(TGenericServerConnection *sender);
    bool ReceiveStep();
    void ContinueReceiving();
    void RejectServerData(TGenericServerConnection *sender, const std::exception &error);
    void ParseIncoming(TGenericServerConnection *sender);
    void SendGoodResponse(qint32 Id, QByteArrayView Body);
    void SendErrorResponse(const TMessageToServer &Msg, bool Permanent,
                           const TResponseCallback &Callback);
    void ServerDisconnected();

    const TTransportSettings transport_;
    std::unique_ptr<TGenericServerConnection> connection_;
    std::unique_ptr<TWakeMeSoon> wakeUp_;
    QByteArray pendingOutput_;
    std::unique_ptr<TZLibCompressor> compressor_;
    std::unique_ptr<TZLibDecompressor> decompressor_;
    // Carries the receive path on to its next slice after the event loop had a turn.
    std::unique_ptr<TWakeMeSoon> receiveWakeUp_;
    TState state_ = TState::Waiting;
    QString errorMessage_;
    QVector<TPendingRequest> pendingRequests_;
    bool connectStarted_ = false;
    // Set once the server's data could not be read: nothing more of it is inflated.
    bool serverDataRejected_ = false;
    // A receive step is running; one asked for meanwhile (from a nested event loop)
    // waits for it to end.
    bool receiving_ = false;
    bool receiveAgain_ = false;
    // The connection ended while bytes it delivered were still being read; the end
    // is taken in once they all are.
    bool closeWaiting_ = false;
    qsizetype peakUndelivered_ = 0;
    // How many connection events are running right now; the connection must outlive them.
    int connectionEventDepth_ = 0;
    // Expires when the session is destroyed, so a loop that called out can tell whether
    // its session still exists.
    std::shared_ptr<char> lifeToken_;
};
