#include "net/THttpClient.h"

#include "net/TAsyncSocket.h"
#include "net/THttpAnswerHead.h"

#include <QIODevice>
#include <QSslSocket>

#include <utility>

namespace {

constexpr int MostRedirects = 5;
constexpr int AbortedStatus = 404;
const QString AbortedReason = QStringLiteral("Connection aborted on request");
const QString ClosedEarlyReason = QStringLiteral("the server closed the connection before its answer");
const QString RedirectRefusedReason = QStringLiteral("the server redirected the request to another host");
const QString TooManyRedirectsReason = QStringLiteral("the server redirected the request too often");
const QString BadLengthReason = QStringLiteral("the server's answer has an unreadable length");

quint16 ParseProxyPort(const QString &text, const char *what)
{
    bool ok = false;
    const uint port = text.toUInt(&ok);
    if (!ok || port == 0 || port > 65535)
        throw EHttpException(QStringLiteral("Invalid %1 \"%2\"").arg(QLatin1String(what), text));
    return quint16(port);
}

bool IsHttps(const QUrl &url)
{
    return url.scheme() == QLatin1String("https");
}

quint16 PortOf(const QUrl &url)
{
    return quint16(url.port(IsHttps(url) ? 443 : 80));
}

bool IsRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

THttpError ErrorOf(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::SslHandshakeFailedError:
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError:
        return heTls;
    case QAbstractSocket::ProxyAuthenticationRequiredError:
    case QAbstractSocket::ProxyConnectionRefusedError:
    case QAbstractSocket::ProxyConnectionClosedError:
    case QAbstractSocket::ProxyConnectionTimeoutError:
    case QAbstractSocket::ProxyNotFoundError:
    case QAbstractSocket::ProxyProtocolError:
        return heProxy;
    default:
        return heNetwork;
    }
}

} // namespace

THttpClient::THttpClient(QObject *parent)
    : QObject(parent)
{
}

THttpClient::~THttpClient()
{
    DropSocket();
}

bool THttpClient::SameOrigin(const QUrl &a, const QUrl &b)
{
    return a.scheme() == b.scheme() && a.host() == b.host() && PortOf(a) == PortOf(b);
}

void THttpClient::GetAsync()
{
    Start(THttpRequest::Get);
}

void THttpClient::PostAsync()
{
    Start(THttpRequest::Post);
}

void THttpClient::Abort()
{
    // Closing: the answer is complete and its RequestDone already on its way.
    if (state_ == httpReady || state_ == httpClosing || state_ == httpAborting)
        return;
    DropSocket();
    state_ = httpAborting;
    QMetaObject::invokeMethod(
        this, [this] { Finish(heAborted, AbortedStatus, AbortedReason); }, Qt::QueuedConnection);
}

void THttpClient::SetReceivePaused(bool paused)
{
    if (paused == receivePaused_)
        return;
    receivePaused_ = paused;
    // What arrived while paused raised no further readyRead: fetch it now, from the
    // event loop like every other notification.
    if (!paused && socket_)
        QMetaObject::invokeMethod(this, &THttpClient::ReadSocket, Qt::QueuedConnection);
}

QNetworkProxy THttpClient::ChosenProxy() const
{
    if (!httpProxy_.Host.isEmpty())
        return QNetworkProxy(QNetworkProxy::HttpProxy, httpProxy_.Host,
                             ParseProxyPort(QString::number(httpProxy_.Port), "HTTP proxy port"),
                             httpProxy_.User, httpProxy_.Password);
    if (!socks_.IsSet())
        return QNetworkProxy(QNetworkProxy::NoProxy);
    if (socks_.Level != QLatin1String("5"))
        throw EHttpException(
            QStringLiteral("SOCKS level \"%1\" is not available for HTTP; use SOCKS 5 or an HTTP proxy")
                .arg(socks_.Level));
    const bool authenticate = !socks_.User.isEmpty();
    return QNetworkProxy(QNetworkProxy::Socks5Proxy, socks_.Host,
                         ParseProxyPort(socks_.Port, "SOCKS port"),
                         authenticate ? socks_.User : QString(),
                         authenticate ? socks_.Password : QString());
}

void THttpClient::Start(THttpRequest request)
{
    if (state_ != httpReady)
        throw EHttpException(QStringLiteral("A request is already running"));
    const QUrl url(url_, QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || url.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        throw EHttpException(QStringLiteral("Not an http or https URL: \"%1\"").arg(url_));
    if (request == THttpRequest::Post && !sendStream_)
        throw EHttpException(QStringLiteral("No send stream for the POST"));
    proxy_ = ChosenProxy();

    request_ = request;
    postBody_ = request == THttpRequest::Post ? sendStream_->readAll() : QByteArray();
    redirects_ = 0;
    receivePaused_ = false;
    statusCode_ = 0;
    reasonPhrase_.clear();
    state_ = httpWaitingHeader;
    Open(url);
}

bool THttpClient::AbsoluteForm() const
{
    // Plain http goes to an HTTP proxy as a request naming the whole URL; https
    // asks it for a connection (CONNECT), inside which TLS runs end to end.
    return proxy_.type() == QNetworkProxy::HttpProxy && !IsHttps(requestUrl_);
}

void THttpClient::Open(const QUrl &url)
{
    requestUrl_ = url;
    headBuffer_.clear();
    headTaken_ = false;
    bodyLeft_ = -1;
    socket_ = std::make_unique<QSslSocket>();
    QSslSocket *socket = socket_.get();
    // The most the socket holds for us; a paused reader leaves the rest in the network.
    socket->setReadBufferSize(TAsyncSocket::ReadBufferBytes);
    socket->setProxy(AbsoluteForm() ? QNetworkProxy(QNetworkProxy::NoProxy) : proxy_);
    if (IsHttps(url))
        connect(socket, &QSslSocket::encrypted, this, &THttpClient::SendRequest);
    else
        connect(socket, &QAbstractSocket::connected, this, &THttpClient::SendRequest);
    connect(socket, &QIODevice::readyRead, this, &THttpClient::ReadSocket);
    connect(socket, &QAbstractSocket::disconnected, this, &THttpClient::SocketClosed);
    connect(socket, &QAbstractSocket::errorOccurred, this, &THttpClient::SocketFailed);
    if (AbsoluteForm())
        socket->connectToHost(proxy_.hostName(), proxy_.port());
    else if (IsHttps(url))
        socket->connectToHostEncrypted(url.host(), PortOf(url));
    else
        socket->connectToHost(url.host(), PortOf(url));
}

void THttpClient::SendRequest()
{
    const bool post = request_ == THttpRequest::Post;
    QByteArray target;
    if (AbsoluteForm()) {
        target = requestUrl_.toEncoded(QUrl::RemoveUserInfo | QUrl::RemoveFragment);
    } else {
        target = requestUrl_.path(QUrl::FullyEncoded).toLatin1();
        if (target.isEmpty())
            target = "/";
        if (requestUrl_.hasQuery())
            target += '?' + requestUrl_.query(QUrl::FullyEncoded).toLatin1();
    }
    QByteArray text = (post ? "POST " : "GET ") + target + " HTTP/1.0\r\nHost: "
                      + requestUrl_.adjusted(QUrl::RemoveUserInfo).authority(QUrl::FullyEncoded).toLatin1()
                      + "\r\n";
    if (AbsoluteForm() && !proxy_.user().isEmpty())
        text += "Proxy-Authorization: Basic "
                + (proxy_.user() + QLatin1Char(':') + proxy_.password()).toUtf8().toBase64() + "\r\n";
    if (post)
        text += "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: "
                + QByteArray::number(postBody_.size()) + "\r\n";
    socket_->write(text + "\r\n" + (post ? postBody_ : QByteArray()));
}

void THttpClient::ReadSocket()
{
    if (socket_ && !receivePaused_)
        TakeAnswer(socket_->readAll());
}

void THttpClient::TakeAnswer(const QByteArray &data)
{
    if (data.isEmpty())
        return;
    if (headTaken_) {
        Deliver(data);
        return;
    }
    headBuffer_ += data;
    if (TakeHead())
        Deliver(std::exchange(headBuffer_, QByteArray()));
}

bool THttpClient::TakeHead()
{
    THttpAnswerHead head;
    QString problem;
    switch (TakeHttpAnswerHead(headBuffer_, head, problem)) {
    case THttpHeadResult::Incomplete:
        return false;
    case THttpHeadResult::Bad:
        Fail(heBadAnswer, problem);
        return false;
    case THttpHeadResult::Complete:
        break;
    }
    const QByteArray location = head.Field("Location");
    if (IsRedirect(head.StatusCode) && !location.isEmpty()) {
        FollowRedirect(location);
        return false;
    }
    const QByteArray length = head.Field("Content-Length");
    if (!length.isNull()) {
        bool ok = false;
        bodyLeft_ = length.toLongLong(&ok);
        if (!ok || bodyLeft_ < 0) {
            Fail(heBadAnswer, BadLengthReason);
            return false;
        }
    }
    statusCode_ = head.StatusCode;
    reasonPhrase_ = QString::fromLatin1(head.ReasonPhrase);
    headTaken_ = true;
    state_ = httpWaitingBody;
    return true;
}

void THttpClient::FollowRedirect(const QByteArray &location)
{
    // Whatever we send, the login included, goes only where we were told to go.
    const QUrl target = requestUrl_.resolved(QUrl(QString::fromLatin1(location), QUrl::StrictMode));
    if (!target.isValid() || !SameOrigin(target, requestUrl_)) {
        Fail(heRedirectRefused, RedirectRefusedReason);
        return;
    }
    if (++redirects_ > MostRedirects) {
        Fail(heRedirectRefused, TooManyRedirectsReason);
        return;
    }
    DropSocket();
    Open(target);
}

void THttpClient::Deliver(QByteArray piece)
{
    if (bodyLeft_ >= 0) {
        piece.truncate(bodyLeft_);
        bodyLeft_ -= piece.size();
    }
    // Posted rather than emitted, so that a handler may destroy this client without
    // pulling the socket out from under Qt's own code.
    if (!piece.isEmpty())
        QMetaObject::invokeMethod(
            this, [this, piece] { Q_EMIT DocumentData(piece); }, Qt::QueuedConnection);
    if (bodyLeft_ == 0)
        Complete();
}

void THttpClient::SocketClosed()
{
    if (!socket_)
        return;
    // The answer ends here, so what the socket still holds is delivered, paused or not.
    TakeAnswer(socket_->readAll());
    if (state_ == httpWaitingHeader)
        Fail(heNetwork, ClosedEarlyReason);
    else if (state_ == httpWaitingBody)
        Complete();
}

void THttpClient::SocketFailed(QAbstractSocket::SocketError error)
{
    // The server's close is the end of an answer without a length: SocketClosed.
    if (!socket_ || error == QAbstractSocket::RemoteHostClosedError)
        return;
    const THttpError kind = ErrorOf(error);
    const QString text = socket_->errorString();
    Fail(kind, kind == heTls ? QStringLiteral("TLS handshake failed: ") + text : text);
}

void THttpClient::Complete()
{
    DropSocket();
    state_ = httpClosing;
    const int status = statusCode_;
    const QString reason = reasonPhrase_;
    QMetaObject::invokeMethod(
        this, [this, status, reason] { Finish(heNone, status, reason); }, Qt::QueuedConnection);
}

void THttpClient::Fail(int error, const QString &reason)
{
    DropSocket();
    state_ = httpAborting;
    QMetaObject::invokeMethod(
        this, [this, error, reason] { Finish(error, 0, reason); }, Qt::QueuedConnection);
}

void THttpClient::Finish(int error, int statusCode, const QString &reasonPhrase)
{
    statusCode_ = statusCode;
    reasonPhrase_ = reasonPhrase;
    state_ = httpReady;
    Q_EMIT RequestDone(request_, error);
}

void THttpClient::DropSocket()
{
    if (!socket_)
        return;
    // Freed from the event loop: we may be inside one of its own signals.
    QSslSocket *socket = socket_.release();
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}
