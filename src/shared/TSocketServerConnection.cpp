#include "shared/TSocketServerConnection.h"

#include "net/TAsyncSocket.h"
#include "shared/Exception.h"

#include <algorithm>

namespace {

const QString DefaultPort = QStringLiteral("8888");

void Fire(const TGenericServerConnection::TNotifyEvent &event, TGenericServerConnection *sender)
{
    // A copy, so a handler may reassign the event it was called through.
    if (const TGenericServerConnection::TNotifyEvent handler = event)
        handler(sender);
}

} // namespace

TSocketServerConnection::TSocketServerConnection(const TTransportSettings &transport)
    : transport_(transport)
{
}

TSocketServerConnection::~TSocketServerConnection()
{
    // Destroying a connection that has not ended is its end, as far as the owner is
    // concerned. A destructor cannot pass a handler's error on, so it is dropped.
    if (state_ != StateClosed) {
        try {
            Fire(OnSessionClosed, this);
        } catch (...) {
        }
    }
    if (socket_)
        socket_->disconnect();
}

bool TSocketServerConnection::Connect()
{
    AZ_ASSERT(!socket_);
    socket_ = std::make_unique<TAsyncSocket>();
    try {
        const QString &address = transport_.ServerAddress;
        const int colon = address.indexOf(QLatin1Char(':'));
        socket_->SetAddress(colon < 0 ? address : address.left(colon));
        socket_->SetPort(colon < 0 ? DefaultPort : address.mid(colon + 1));
        socket_->SetTls(transport_.UseTls);
        socket_->SetSocks(transport_.Socks);
        AttachSocket();
        socket_->Connect();
        return true;
    } catch (const std::exception &e) {
        ErrorMessage = QStringLiteral("TSocketServerConnection.Connect, ") + ExceptionClassName(e)
                       + QStringLiteral(", ") + ExceptionMessage(e);
        Fire(OnSessionClosed, this);
        return false;
    }
}

void TSocketServerConnection::Send(const QByteArray &data)
{
    AZ_ASSERT_MSG(state_ != StateNotConnected, "Send before the connection opened");
    if (state_ == StateConnected)
        socket_->SendStr(data);
}

void TSocketServerConnection::Close()
{
    if (socket_ && state_ != StateClosed)
        socket_->Close();
}

void TSocketServerConnection::ReadAvailable(QByteArray &data)
{
    // Grows by doubling until the socket has nothing more. The socket holds at most
    // its read buffer, so one call takes a bounded amount: a server that sends faster
    // than we read waits in the network, not in our memory. Whatever is left over
    // comes with the next call.
    constexpr int MaxReadBytes = TAsyncSocket::ReadBufferBytes;
    QByteArray buffer(4096, Qt::Uninitialized);
    int filled = 0;
    while (socket_ && filled < MaxReadBytes) {
        if (filled == buffer.size())
            buffer.resize(std::min(buffer.size() * 2, qsizetype(MaxReadBytes)));
        const int count = socket_->Receive(buffer.data() + filled, int(buffer.size()) - filled);
        if (count <= 0)
            break;
        filled += count;
    }
    buffer.truncate(filled);
    data = std::move(buffer);
}

void TSocketServerConnection::AttachSocket()
{
    TAsyncSocket *socket = socket_.get();
    QObject::connect(socket, &TAsyncSocket::SessionConnected, socket,
                     [this](int error) { SocketConnected(error); });
    QObject::connect(socket, &TAsyncSocket::SessionClosed, socket, [this](int) { SocketClosed(); });
    QObject::connect(socket, &TAsyncSocket::DataAvailable, socket,
                     [this](int) { SocketDataAvailable(); });
}

void TSocketServerConnection::SocketConnected(int error)
{
    // A failed attempt is reported by the session-closed notification that follows;
    // the reason is kept for it, so the user can be told why the server was not reached.
    if (error == seNameNotResolved) {
        ErrorMessage = QStringLiteral("DNS error");
    } else if (error != seNone) {
        ErrorMessage = socket_->ErrorText();
    } else if (state_ == StateNotConnected) {
        state_ = StateConnected;
        Fire(OnConnected, this);
    }
}

void TSocketServerConnection::SocketClosed()
{
    state_ = StateClosed;
    Fire(OnSessionClosed, this);
}

void TSocketServerConnection::SocketDataAvailable()
{
    Fire(OnDataAvailable, this);
}
