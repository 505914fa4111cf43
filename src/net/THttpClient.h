#pragma once

#include "net/TSocksHandshake.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QNetworkProxy>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <memory>
#include <stdexcept>

class QIODevice;
class QSslSocket;

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
// idle, WaitingHeader until the answer's head is in, WaitingBody while the answer
// streams in, Closing between the end of the answer and its request-done
// notification, Aborting between Abort or a refused answer and that notification.
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

// Why a request got no usable answer, as RequestDone reports it; 0 is an answer.
enum THttpError : int {
    heNone = 0,
    heNetwork, // refused, unreachable, broken, or closed before the answer's head
    heTls, // the TLS handshake failed, the server's certificate included
    heProxy, // the proxy refused or broke the way to the server
    heAborted, // Abort
    heBadAnswer, // not HTTP, a head over THttpAnswerHead's bounds, or an unreadable length
    heRedirectRefused, // a redirect to another scheme, host or port, or too many
};

// An asynchronous HTTP/1.0 client for one request at a time, on the event loop: a GET
// whose answer arrives piece by piece as it streams in, or a form POST of whatever its
// send stream holds. It reads the answer itself, so a head of more than 100 field
// lines or 64 KiB is refused as it grows, and a server that never ends its head costs
// no more than that (Qt's network access manager reads a head a byte at a time, with
// no bound, in a thread that the GUI thread must wait for when the manager goes).
// Redirects are followed up to 5 times, and only to the same
// scheme, host and port: a redirect elsewhere ends the request as a failure before
// anything is sent there. https URLs are checked against the system's certificate
// authorities and the URL's host. It goes directly, through an HTTP proxy (a plain
// http URL as an absolute request to the proxy, https through CONNECT), or through
// a SOCKS 5 proxy. One connection per request, closed with its answer.
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

    // Same scheme, host and port (the scheme's own port when none is written).
    static bool SameOrigin(const QUrl &a, const QUrl &b);

    void SetUrl(const QString &url) { url_ = url; }
    const QString &Url() const { return url_; }

    // An empty host means no HTTP proxy; one that is set wins over SOCKS.
    void SetProxy(const THttpProxy &proxy) { httpProxy_ = proxy; }
    // A proxy that is not set means no SOCKS proxy.
    void SetSocks(const TSocksProxy &socks) { socks_ = socks; }

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
    // Of the last answer; 0 and the reason of the failure when no usable answer came.
    int StatusCode() const { return statusCode_; }
    const QString &ReasonPhrase() const { return reasonPhrase_; }

Q_SIGNALS:
    void DocumentData(const QByteArray &piece);
    // error is heNone when the server answered, whatever its status code; otherwise
    // the reason the request got no usable answer.
    void RequestDone(THttpRequest request, int error);

private:
    void Start(THttpRequest request);
    QNetworkProxy ChosenProxy() const;
    bool AbsoluteForm() const;
    void Open(const QUrl &url);
    void SendRequest();
    void ReadSocket();
    void TakeAnswer(const QByteArray &data);
    // True once the head is in and the body may follow.
    bool TakeHead();
    void FollowRedirect(const QByteArray &location);
    void Deliver(QByteArray piece);
    void SocketClosed();
    void SocketFailed(QAbstractSocket::SocketError error);
    void Complete();
    void Fail(int error, const QString &reason);
    void Finish(int error, int statusCode, const QString &reasonPhrase);
    void DropSocket();

    QString url_;
    THttpProxy httpProxy_;
    TSocksProxy socks_;
    QPointer<QIODevice> sendStream_;

    // The running request.
    THttpRequest request_ = THttpRequest::Get;
    QUrl requestUrl_;
    QNetworkProxy proxy_;
    QByteArray postBody_;
    int redirects_ = 0;
    std::unique_ptr<QSslSocket> socket_;
    QByteArray headBuffer_;
    bool headTaken_ = false;
    // Body bytes still to come; -1 when the answer lasts until the server closes.
    qint64 bodyLeft_ = -1;

    THttpState state_ = httpReady;
    int statusCode_ = 0;
    QString reasonPhrase_;
    bool receivePaused_ = false;
};
