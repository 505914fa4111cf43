#pragma once

#include "net/TSocksHandshake.h"

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>

#include <stdexcept>

class QIODevice;
class QNetworkReply;

// A request that cannot even start: no usable URL, a proxy setting the client cannot
// express, no send stream for a POST, or a request already running.
class EHttpException : public std::runtime_error
{
public:
    explicit EHttpException(const QString &message)
        : std::runtime_error(message.toStdString())
    {
    }
};

// Where a request stands. The numbers are part of the diagnostics the tunnel prints,
// so they never change. This client passes through only some of them: Ready while
// idle, WaitingHeader until the answer's status line, WaitingBody while the answer
// streams in, Aborting between Abort and its request-done notification.
enum THttpState : int {
    httpReady = 0,
    httpNotConnected = 1,
    httpConnected = 2,
    httpDnsLookup = 3,
    httpDnsLookupDone = 4,
    httpWaitingHeader = 5,
    httpWaitingBody = 6,
    httpBodyReceived = 7,
    httpWaitingProxyConnect = 8,
    httpClosing = 9,
    httpAborting = 10,
};

enum class THttpRequest { Get, Post };

// An asynchronous HTTP client for one request at a time, on the event loop: a GET
// whose answer arrives piece by piece as it streams in, or a form POST of whatever its
// send stream holds. Redirects are followed up to 5 times; https URLs are checked
// against the system's certificate authorities. It goes directly, through an HTTP
// proxy, or through a SOCKS 5 proxy (SOCKS 4 cannot be expressed with Qt's proxies).
//
// Every notification comes from the event loop, never from inside a call on this
// object, so a handler may destroy the client; a destroyed client sends nothing more.
// RequestDone comes once per started request, after its last DocumentData, with the
// state already back at httpReady.
class THttpClient : public QObject
{
    Q_OBJECT

public:
    explicit THttpClient(QObject *parent = nullptr);
    ~THttpClient() override;

    void SetUrl(const QString &url) { url_ = url; }
    const QString &Url() const { return url_; }

    // An empty host means no HTTP proxy.
    void SetProxy(const QString &host, const QString &port, const QString &userName,
                  const QString &password);
    // A Server of empty text means no SOCKS proxy.
    void SetSocks(const TSocksSettings &socks) { socks_ = socks; }

    // The body of the next POST: everything from the stream's current position to its
    // end, read when the POST starts. The client does not own the stream.
    void SetSendStream(QIODevice *stream) { sendStream_ = stream; }

    // Start a request and return at once; throw EHttpException when it cannot start.
    void GetAsync();
    void PostAsync();
    // Ends the running request; its RequestDone follows as a failure with status 404
    // and reason "Connection aborted on request". Does nothing while idle.
    void Abort();

    // While paused, no DocumentData comes: the answer's bytes wait, at most
    // ReadBufferBytes of them in the client and the rest in the network, until the
    // reader resumes. The end of an answer delivers whatever is left all the same.
    // Every request starts unpaused.
    void SetReceivePaused(bool paused);
    bool ReceivePaused() const { return receivePaused_; }

    THttpState State() const { return state_; }
    // Of the last answer; 0 and the reason of the failure when no answer came.
    int StatusCode() const { return statusCode_; }
    const QString &ReasonPhrase() const { return reasonPhrase_; }

Q_SIGNALS:
    void DocumentData(const QByteArray &piece);
    // error is 0 when the server answered, whatever its status code; otherwise the
    // reason the request got no answer.
    void RequestDone(THttpRequest request, int error);

private:
    void Start(THttpRequest request);
    QNetworkProxy ChosenProxy() const;
    void ReplyHeaders();
    void ReplyData();
    void DeliverReplyData();
    void ReplyFinished();
    void Finish(int error, int statusCode, const QString &reasonPhrase);
    void DropReply();

    QNetworkAccessManager manager_;
    QString url_;
    QString proxyHost_;
    QString proxyPort_;
    QString proxyUserName_;
    QString proxyPassword_;
    TSocksSettings socks_;
    QPointer<QIODevice> sendStream_;
    QNetworkReply *reply_ = nullptr;
    THttpRequest request_ = THttpRequest::Get;
    THttpState state_ = httpReady;
    int statusCode_ = 0;
    QString reasonPhrase_;
    bool receivePaused_ = false;
};
