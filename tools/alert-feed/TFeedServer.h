#pragma once

#include "TCategoryKinds.h"
#include "TFeedOptions.h"
#include "TFeedRandom.h"
#include "TFeedSession.h"
#include "TRequestRecorder.h"
#include "TUserTable.h"

#include <QObject>
#include <QTcpServer>

#include <memory>

class TAlertBroadcaster;
class TAlertSource;
class TTunnelGateway;

// The alert server: accepts connections, gives each a session that speaks the
// protocol and injects the configured faults, and feeds all of them from one source
// of alerts, synthetic or replayed.
class TFeedServer : public QObject
{
    Q_OBJECT

public:
    explicit TFeedServer(TFeedOptions options, QObject *parent = nullptr);
    ~TFeedServer() override;

    // Reads the files the options name and starts listening. Returns an error text,
    // empty on success.
    QString Start();

    QHostAddress Address() const { return server_->serverAddress(); }
    quint16 Port() const { return server_->serverPort(); }
    // Where the HTTP tunnel's GET goes; empty when the feed serves no tunnel.
    QString TunnelUrl() const;
    // The seed in use: the one given, or one drawn at start.
    quint64 Seed() const { return seed_; }

private:
    QString LoadFiles();
    std::unique_ptr<TAlertSource> MakeSource(QString &error);
    QString StartTunnel();
    void AcceptConnections(QTcpServer *server);
    QByteArray NewSessionId();

    TFeedOptions options_;
    quint64 seed_;
    TUserTable users_;
    TCategoryKinds kinds_;
    TRequestRecorder recorder_;
    TSessionServices services_;
    TFeedRandom sessionIds_;
    std::unique_ptr<TAlertBroadcaster> broadcaster_;
    // Plain TCP, or TLS with --tls.
    QTcpServer *server_ = nullptr;
    // Tunnels reach their sessions through this loopback listener, plain whatever the
    // main listener speaks.
    QTcpServer tunnelEntrance_;
    TTunnelGateway *tunnelGateway_ = nullptr;
    int connectionCount_ = 0;
};
