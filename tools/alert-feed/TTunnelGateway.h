#pragma once

#include "TFeedOptions.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>

#include <memory>

class QTcpServer;
class QTcpSocket;
class TTunnelBridge;
struct THttpRequestHead;

// The feed's HTTP tunnel entrance, plain or https: a GET opens a tunnel (a bridge
// into the feed's own listener), a POST to the address the GET named carries one
// upload, "sequence=N&body=P64". Every other request gets 404.
class TTunnelGateway : public QObject
{
    Q_OBJECT

public:
    explicit TTunnelGateway(TTunnelOptions options, QObject *parent = nullptr);
    ~TTunnelGateway() override;

    // Listens, with the sessions' entrance at entryAddress:entryPort. Returns an error
    // text, empty on success.
    QString Start(const QHostAddress &entryAddress, quint16 entryPort);
    // Where a client's GET goes.
    QString Url() const;

private:
    void AcceptConnections();
    void ReadRequest(QTcpSocket *peer);
    void Serve(QTcpSocket *peer, const THttpRequestHead &head, const QByteArray &body);
    void OpenTunnel(QTcpSocket *peer, const THttpRequestHead &head);
    void TakeUpload(QTcpSocket *peer, const QByteArray &id, const QByteArray &body);
    void Answer(QTcpSocket *peer, int status, const QByteArray &reason);
    QByteArray NewTunnelId();

    TTunnelOptions options_;
    QTcpServer *server_ = nullptr;
    QHostAddress entryAddress_;
    quint16 entryPort_ = 0;
    QHash<QByteArray, TTunnelBridge *> tunnels_;
    QHash<QTcpSocket *, QByteArray> readBuffers_;
    quint64 tunnelCount_ = 0;
};
