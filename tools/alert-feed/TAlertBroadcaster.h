#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QVector>

#include <memory>

class TAlertSource;
class TFeedSession;

// Sends the feed's alerts to every session that receives them. Bodies are taken from
// the source as they fall due on the pace clock, which runs only while someone listens
// and can take more, and each body goes to the sessions subscribed to its category. A
// tick's bodies form one burst per session, ended by one sync flush.
class TAlertBroadcaster : public QObject
{
    Q_OBJECT

public:
    explicit TAlertBroadcaster(std::unique_ptr<TAlertSource> source, QObject *parent = nullptr);
    ~TAlertBroadcaster() override;

    void AddSession(TFeedSession *session);
    void RemoveSession(TFeedSession *session);

    // Somebody may have started listening: starts the ticks if they are stopped.
    void Wake();

private:
    void Tick();
    void Deliver(const QVector<TFeedSession *> &sessions, const QByteArray &body);

    std::unique_ptr<TAlertSource> source_;
    QVector<TFeedSession *> sessions_;
    QTimer timer_;
    QElapsedTimer sinceTick_;
    qint64 paceMs_ = 0;
    // Bodies handed out, the time since the first, and how long since then every
    // reader was too far behind to take more.
    qint64 sent_ = 0;
    QElapsedTimer sinceFirst_;
    qint64 waitedMs_ = 0;
    bool finished_ = false;
};
