#include "shared/THttpTunnel.h"

#include "net/TAsyncSocket.h"
#include "net/THttpClient.h"
#include "shared/DebugSink.h"
#include "shared/Exception.h"
#include "shared/P64.h"
#include "shared/TWakeMeSoon.h"

#include <QBuffer>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace {

constexpr int AcceptedStatus = 200;
constexpr int MaxReadBytes = TAsyncSocket::ReadBufferBytes;
const QByteArray LineBreak = QByteArrayLiteral("\r\n");

bool IsSuccess(int status)
{
    return status >= 200 && status <= 299;
}

void Fire(const TGenericServerConnection::TNotifyEvent &event, TGenericServerConnection *sender)
{
    // A copy, so a handler may reassign the event it was called through.
    if (const TGenericServerConnection::TNotifyEvent handler = event)
        handler(sender);
}

} // namespace

THttpTunnel::THttpTunnel(const TTransportSettings &transport)
    : wakeUp_(std::make_unique<TWakeMeSoon>()),
      watchdog_(std::make_unique<QTimer>()),
      greetingDeadline_(std::make_unique<QTimer>()),
      downloadClient_(std::make_unique<THttpClient>()),
      uploadClient_(std::make_unique<THttpClient>()),
      transport_(transport),
      uploadBody_(std::make_unique<QBuffer>())
{
    wakeUp_->OnWakeUp = [this] { CheckForSend(); };
    uploadBody_->open(QIODevice::ReadWrite);

    THttpClient *download = downloadClient_.get();
    downloadData_ = QObject::connect(download, &THttpClient::DocumentData, download,
                                     [this](const QByteArray &piece) { DownloadData(piece); });
    downloadDone_ = QObject::connect(download, &THttpClient::RequestDone, download,
                                     [this](THttpRequest, int error) { DownloadDone(error); });

    THttpClient *upload = uploadClient_.get();
    uploadDone_ = QObject::connect(upload, &THttpClient::RequestDone, upload,
                                   [this](THttpRequest, int error) { UploadDone(error); });
    upload->SetSendStream(uploadBody_.get());

    watchdog_->setInterval(WatchdogIntervalMs);
    QObject::connect(watchdog_.get(), &QTimer::timeout, watchdog_.get(), [this] { WatchdogTick(); });
    watchdog_->start();

    greetingDeadline_->setSingleShot(true);
    QObject::connect(greetingDeadline_.get(), &QTimer::timeout, greetingDeadline_.get(),
                     [this] { Refuse(QStringLiteral("the server sent no tunnel greeting in time")); });
}

THttpTunnel::~THttpTunnel()
{
    // Destroying a tunnel that has not ended is its end, as far as the owner is
    // concerned. A destructor cannot pass a handler's error on, so it is dropped.
    try {
        Close();
    } catch (...) {
    }
    watchdog_->stop();
}

void THttpTunnel::ApplyProxySettings(THttpClient &client) const
{
    client.SetProxy(transport_.HttpProxy);
    client.SetSocks(transport_.Socks);
}

bool THttpTunnel::Connect()
{
    AZ_ASSERT(connState_ == ConnNew);
    connState_ = ConnConnecting;
    try {
        ApplyProxySettings(*uploadClient_);
        ApplyProxySettings(*downloadClient_);
        downloadClient_->SetUrl(transport_.TunnelAddress);
        downloadClient_->GetAsync();
        greetingDeadline_->start(GreetingTimeoutMs);
        return true;
    } catch (const std::exception &e) {
        ErrorMessage = QStringLiteral("THttpTunnel.Connect, ") + ExceptionClassName(e)
                       + QStringLiteral(", ") + ExceptionMessage(e) + QStringLiteral(", ")
                       + ClientStatus(*downloadClient_);
        Close();
        return false;
    }
}

void THttpTunnel::DownloadData(const QByteArray &piece)
{
    // An error page or anything else but a 2xx answer is no tunnel.
    const int status = downloadClient_->StatusCode();
    if (connState_ == ConnConnecting && !IsSuccess(status)) {
        Refuse(QStringLiteral("the server answered HTTP %1").arg(status));
        return;
    }
    if (readOffset_ > 0 && readOffset_ >= receiveBuffer_.size() / 2) {
        receiveBuffer_.remove(0, readOffset_);
        readOffset_ = 0;
    }
    receiveBuffer_ += piece;
    if (connState_ == ConnConnecting)
        TakeHeaderLines();
    if (connState_ == ConnClosed)
        return;
    // A server that sends faster than the session reads must not fill our memory.
    // Checked once the header lines are gone: what is left is what the reader resumes.
    if (UnreadBytes() >= MostUnreadBytes)
        downloadClient_->SetReceivePaused(true);
    if (connState_ == ConnConnected && receiveBuffer_.size() > readOffset_)
        Fire(OnDataAvailable, this);
}

void THttpTunnel::DownloadDone(int error)
{
    // However the download ends, the tunnel has lost its way back from the server.
    if (connState_ != ConnConnecting) {
        Close();
        return;
    }
    const int status = downloadClient_->StatusCode();
    if (error != 0)
        Refuse(downloadClient_->ReasonPhrase());
    else if (!IsSuccess(status))
        Refuse(QStringLiteral("the server answered HTTP %1").arg(status));
    else
        Refuse(QStringLiteral("the server ended the tunnel before its greeting"));
}

void THttpTunnel::TakeHeaderLines()
{
    // The first line is the server's greeting, the second where our uploads go. Until
    // both are complete the search starts over with every piece.
    const int firstEnd = receiveBuffer_.indexOf(LineBreak);
    const int addressStart = firstEnd + LineBreak.size();
    const int addressEnd = firstEnd < 0 ? -1 : receiveBuffer_.indexOf(LineBreak, addressStart);
    const qsizetype greetingBytes = addressEnd < 0 ? receiveBuffer_.size() : addressEnd;
    if (greetingBytes > MostGreetingBytes) {
        Refuse(QStringLiteral("the server's tunnel greeting is too long"));
        return;
    }
    if (addressEnd < 0)
        return;
    if (!AcceptUploadAddress(receiveBuffer_.mid(addressStart, addressEnd - addressStart)))
        return;
    receiveBuffer_.remove(0, addressEnd + LineBreak.size());
    greetingDeadline_->stop();
    connState_ = ConnConnected;
    Fire(OnConnected, this);
}

bool THttpTunnel::AcceptUploadAddress(const QByteArray &line)
{
    // Our login goes up this way: it must reach the server we were told to use, not
    // one the server names.
    const QUrl tunnel(transport_.TunnelAddress);
    const QUrl named(QString::fromUtf8(line), QUrl::StrictMode);
    const QUrl upload = tunnel.resolved(named);
    if (line.isEmpty() || !named.isValid() || !upload.isValid()) {
        Refuse(QStringLiteral("the server named no usable upload address"));
        return false;
    }
    if (!THttpClient::SameOrigin(upload, tunnel)) {
        Refuse(QStringLiteral("the server named an upload address on another host"));
        return false;
    }
    uploadClient_->SetUrl(upload.toString(QUrl::FullyEncoded));
    return true;
}

void THttpTunnel::Refuse(const QString &reason)
{
    if (connState_ != ConnConnecting)
        return;
    ErrorMessage = reason;
    Close();
}

void THttpTunnel::ReadAvailable(QByteArray &data)
{
    // While connecting, the buffer holds header lines, not the server's stream.
    if (connState_ != ConnConnected && connState_ != ConnClosed)
        return;
    // At most one socket read buffer's worth per call, as the socket connection hands
    // it out, so the reader inflates it slice by slice and returns to the event loop
    // in between. The bytes handed out are skipped, not moved; the buffer sheds them
    // once they are the larger part of it (DownloadData), so a long backlog costs no
    // more than one move of every byte.
    const qsizetype count = std::min(receiveBuffer_.size() - readOffset_, qsizetype(MaxReadBytes));
    data = receiveBuffer_.mid(readOffset_, count);
    readOffset_ += count;
    if (readOffset_ == receiveBuffer_.size()) {
        receiveBuffer_.clear();
        readOffset_ = 0;
    }
    if (UnreadBytes() < MostUnreadBytes)
        downloadClient_->SetReceivePaused(false);
}

void THttpTunnel::Send(const QByteArray &data)
{
    AZ_ASSERT_MSG(connState_ == ConnConnected || connState_ == ConnClosed,
                  "Send before the connection opened");
    if (connState_ != ConnConnected)
        return;
    sendBuffer_ += data;
    wakeUp_->RequestWakeUp();
}

void THttpTunnel::CheckForSend()
{
    if (sendState_ == SendInFlight || sendState_ == SendDead)
        return;
    if (sendState_ == SendIdle && sendBuffer_.isEmpty())
        return;

    const int clientState = uploadClient_->State();
    if (clientState == httpDnsLookupDone || clientState == httpWaitingHeader)
        return;
    if (clientState != httpReady) {
        DebugMessage(QStringLiteral("HTTP Not Ready on Write:  ") + ClientStatus(*uploadClient_)
                     + QStringLiteral(", State=") + QString::number(clientState));
        sendState_ = SendDead;
        Close();
        return;
    }

    // A resend posts the body kept from the failed attempt; only an idle tunnel takes
    // the next chunk. The chunk is cut only once the client can take it, so that no
    // body is overwritten before it went out.
    if (sendState_ == SendIdle) {
        const QByteArray chunk = sendBuffer_.left(ChunkBytes);
        sendBuffer_.remove(0, chunk.size());
        uploadBody_->buffer() = QByteArrayLiteral("sequence=") + QByteArray::number(sequence_)
                                + QByteArrayLiteral("&body=") + EncodeP64(chunk);
    }
    StartUpload();
}

void THttpTunnel::StartUpload()
{
    uploadDeadline_ = SteadyNowMs() + transport_.TunnelSendTimeoutMs;
    sendState_ = SendInFlight;
    uploadBody_->seek(0);
    try {
        uploadClient_->PostAsync();
    } catch (const std::exception &e) {
        ReportException(e, QStringLiteral("HttpTunnels, THttpTunnel.CheckForSend"));
        DebugMessage(QStringLiteral("Unexpected Exception:  THttpTunnel.CheckForSend, ")
                     + ExceptionClassName(e) + QStringLiteral(", ") + ExceptionMessage(e)
                     + QStringLiteral(", ") + ClientStatus(*uploadClient_));
        sendState_ = SendDead;
        Close();
    }
}

void THttpTunnel::UploadDone(int error)
{
    if (uploadClient_->State() != httpReady)
        return;
    sendState_ = SendIdle;
    const int status = uploadClient_->StatusCode();
    if (error == 0 && status == AcceptedStatus) {
        // Each success forgives one earlier failure, so scattered failures add up.
        if (failureCount_ > 0)
            --failureCount_;
        ++sequence_;
        wakeUp_->RequestWakeUp();
        return;
    }

    ++failureCount_;
    const QString details = ClientStatus(*uploadClient_) + QStringLiteral(", state: ")
                            + QString::number(uploadClient_->State());
    if (failureCount_ <= MostFailures) {
        if (error != 0 || status != 0)
            DebugMessage(QStringLiteral("Error sending data to server:  ") + details);
        sendState_ = SendResendPending;
        wakeUp_->RequestWakeUp();
        return;
    }
    DebugMessage(QStringLiteral("ERROR sending data to server:  ") + details);
    Close();
}

void THttpTunnel::WatchdogTick()
{
    if (sendState_ != SendInFlight || SteadyNowMs() <= uploadDeadline_)
        return;
    // The abort comes back as a failed upload, which posts the same body again.
    try {
        uploadClient_->Abort();
    } catch (...) {
    }
}

void THttpTunnel::Close()
{
    if (connState_ == ConnClosed)
        return;
    greetingDeadline_->stop();
    QObject::disconnect(downloadData_);
    QObject::disconnect(downloadDone_);
    downloadClient_->Abort();
    QObject::disconnect(uploadDone_);
    uploadClient_->Abort();
    sendState_ = SendDead;
    connState_ = ConnClosed;
    Fire(OnSessionClosed, this);
}

void THttpTunnel::DebugMessage(const QString &text)
{
    if (const TDebugMessageEvent handler = OnDebugMessage)
        handler(this, text);
}

QString THttpTunnel::ClientStatus(const THttpClient &client) const
{
    return QString::number(client.StatusCode()) + QStringLiteral(", ") + client.ReasonPhrase();
}
