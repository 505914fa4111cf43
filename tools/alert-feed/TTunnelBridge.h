#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QMap>
#include <QObject>
#include <QTcpSocket>

// One HTTP tunnel: the long GET's connection on one side, an ordinary connection into
// the feed's own listener on the other, so the tunnel's client is served by the same
// kind of session as any TCP client. What the session sends becomes the GET's body;
// uploads are written to the session in sequence order.
class TTunnelBridge : public QObject
{
    Q_OBJECT

public:
    // Takes ownership of the download connection and answers its GET: the two header
    // lines, the second naming uploadUrl. The first refusedUploads uploads are refused.
    TTunnelBridge(QTcpSocket *download, const QByteArray &id, const QByteArray &uploadUrl,
                  const QHostAddress &entryAddress, quint16 entryPort, int refusedUploads,
                  QObject *parent = nullptr);
    ~TTunnelBridge() override;

    const QByteArray &Id() const { return id_; }

    // Takes one upload; false when it is refused (the client will post it again). An
    // upload already taken is accepted again without being written twice.
    bool Upload(qint64 sequence, const QByteArray &bytes);

Q_SIGNALS:
    // Either side ended; the bridge can be deleted.
    void Closed(TTunnelBridge *bridge);

private:
    void SessionOutput();
    void Close();

    QTcpSocket *download_;
    QTcpSocket entry_;
    const QByteArray id_;
    qint64 nextSequence_ = 0;
    // Uploads that came ahead of a missing one.
    QMap<qint64, QByteArray> heldUploads_;
    int refusalsLeft_;
    bool closed_ = false;
};
