#include "net/THttpClient.h"

#include "net/TAsyncSocket.h"

#include <QIODevice>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace {

constexpr int MostRedirects = 5;
constexpr int AbortedStatus = 404;
const QString AbortedReason = QStringLiteral("Connection aborted on request");

quint16 ParseProxyPort(const QString &text, const char *what)
{
    bool ok = false;
    const uint port = text.toUInt(&ok);
    if (!ok || port == 0 || port > 65535)
        throw EHttpException(QStringLiteral("Invalid %1 \"%2\"").arg(QLatin1String(what), text));
    return quint16(port);
}

} // namespace

THttpClient::THttpClient(QObject *parent)
    : QObject(parent)
{
}

THttpClient::~THttpClient()
{
    DropReply();
}

void THttpClient::SetProxy(const QString &host, const QString &port, const QString &userName,
                           const QString &password)
{
    proxyHost_ = host;
    proxyPort_ = port;
    proxyUserName_ = userName;
    proxyPassword_ = password;
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
    DropReply();
    state_ = httpAborting;
    QMetaObject::invokeMethod(
        this, [this] { Finish(QNetworkReply::OperationCanceledError, AbortedStatus, AbortedReason); },
        Qt::QueuedConnection);
}

void THttpClient::SetReceivePaused(bool paused)
{
    if (paused == receivePaused_)
        return;
    receivePaused_ = paused;
    // What arrived while paused raised no further readyRead: fetch it now, from the
    // event loop like every other notification.
    if (!paused && reply_)
        QMetaObject::invokeMethod(this, &THttpClient::ReplyData, Qt::QueuedConnection);
}

QNetworkProxy THttpClient::ChosenProxy() const
{
    if (!proxyHost_.isEmpty())
        return QNetworkProxy(QNetworkProxy::HttpProxy, proxyHost_,
                             ParseProxyPort(proxyPort_, "HTTP proxy port"), proxyUserName_,
                             proxyPassword_);
    if (socks_.Server.isEmpty())
        return QNetworkProxy(QNetworkProxy::NoProxy);
    if (socks_.Level != QLatin1String("5"))
        throw EHttpException(
            QStringLiteral("SOCKS level \"%1\" is not available for HTTP; use SOCKS 5 or an HTTP proxy")
                .arg(socks_.Level));
    const bool authenticate = socks_.UserCodeAuthentication;
    return QNetworkProxy(QNetworkProxy::Socks5Proxy, socks_.Server,
                         ParseProxyPort(socks_.Port, "SOCKS port"),
                         authenticate ? socks_.Usercode : QString(),
                         authenticate ? socks_.Password : QString());
}

void THttpClient::Start(THttpRequest request)
{
    if (state_ != httpReady)
        throw EHttpException(QStringLiteral("A request is already running"));
    const QUrl url(url_, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        throw EHttpException(QStringLiteral("Not an http or https URL: \"%1\"").arg(url_));
    if (request == THttpRequest::Post && !sendStream_)
        throw EHttpException(QStringLiteral("No send stream for the POST"));
    manager_.setProxy(ChosenProxy());

    QNetworkRequest httpRequest(url);
    httpRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::NoLessSafeRedirectPolicy);
    httpRequest.setMaximumRedirectsAllowed(MostRedirects);
    httpRequest.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    httpRequest.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                             QNetworkRequest::AlwaysNetwork);
    if (request == THttpRequest::Post) {
        httpRequest.setHeader(QNetworkRequest::ContentTypeHeader,
                              QByteArrayLiteral("application/x-www-form-urlencoded"));
        reply_ = manager_.post(httpRequest, sendStream_->readAll());
    } else {
        reply_ = manager_.get(httpRequest);
    }
    // Without a bound Qt would read the whole answer into memory however slowly it is
    // taken from here; with one, a paused reader leaves the rest in the network.
    reply_->setReadBufferSize(TAsyncSocket::ReadBufferBytes);
    request_ = request;
    receivePaused_ = false;
    state_ = httpWaitingHeader;
    statusCode_ = 0;
    reasonPhrase_.clear();
    connect(reply_, &QNetworkReply::metaDataChanged, this, &THttpClient::ReplyHeaders);
    connect(reply_, &QNetworkReply::readyRead, this, &THttpClient::ReplyData);
    connect(reply_, &QNetworkReply::finished, this, &THttpClient::ReplyFinished);
}

void THttpClient::ReplyHeaders()
{
    const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        return;
    statusCode_ = status.toInt();
    reasonPhrase_ = QString::fromLatin1(
        reply_->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray());
    state_ = httpWaitingBody;
}

void THttpClient::ReplyData()
{
    if (!receivePaused_ && reply_)
        DeliverReplyData();
}

void THttpClient::DeliverReplyData()
{
    const QByteArray piece = reply_->readAll();
    if (piece.isEmpty())
        return;
    // Posted rather than emitted, so that a handler may destroy this client without
    // pulling the reply out from under Qt's own code.
    QMetaObject::invokeMethod(
        this, [this, piece] { Q_EMIT DocumentData(piece); }, Qt::QueuedConnection);
}

void THttpClient::ReplyFinished()
{
    // The reply goes now, so what it still holds is delivered, paused or not.
    DeliverReplyData();
    ReplyHeaders();
    const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    // An answer from the server is a completed request whatever its status; only a
    // request that got no answer carries an error code.
    const int error = status.isValid() ? 0 : int(reply_->error());
    const int statusCode = status.isValid() ? status.toInt() : 0;
    const QString reason = status.isValid() ? reasonPhrase_ : reply_->errorString();
    DropReply();
    state_ = httpClosing;
    QMetaObject::invokeMethod(
        this, [this, error, statusCode, reason] { Finish(error, statusCode, reason); },
        Qt::QueuedConnection);
}

void THttpClient::Finish(int error, int statusCode, const QString &reasonPhrase)
{
    statusCode_ = statusCode;
    reasonPhrase_ = reasonPhrase;
    state_ = httpReady;
    Q_EMIT RequestDone(request_, error);
}

void THttpClient::DropReply()
{
    if (!reply_)
        return;
    QNetworkReply *reply = reply_;
    reply_ = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}
