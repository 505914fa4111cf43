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

    QHostAddress Address() const { return server_.serverAddress(); }
    quint16 Port() const { return server_.serverPort(); }
    // The seed in use: the one given, or one drawn at start.
    quint64 Seed() const { return seed_; }

private:
    QString LoadFiles();
    std::unique_ptr<TAlertSource> MakeSource(QString &error);
    void AcceptConnections();
    QByteArray NewSessionId();

    TFeedOptions options_;
    quint64 seed_;
    TUserTable users_;
    TCategoryKinds kinds_;
    TRequestRecorder recorder_;
    TSessionServices services_;
    TFeedRandom sessionIds_;
    std::unique_ptr<TAlertBroadcaster> broadcaster_;
    QTcpServer server_;
    int connectionCount_ = 0;
};
