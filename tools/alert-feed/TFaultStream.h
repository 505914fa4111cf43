#pragma once

#include <QByteArray>
#include <QObject>

#include <functional>

class QTcpSocket;

// Writes a long run of pieces into a socket as fast as the peer takes them, holding
// only a little unsent at any time, so an attack of gigabytes costs the feed next to
// no memory. NextPiece returns the next piece to send, or nothing once the run is over.
class TFaultStream : public QObject
{
    Q_OBJECT

public:
    TFaultStream(QTcpSocket *socket, std::function<QByteArray()> nextPiece,
                 QObject *parent = nullptr);

    void Start();

Q_SIGNALS:
    // The last piece has been handed to the socket.
    void Finished();

private:
    void Pump();

    QTcpSocket *socket_;
    std::function<QByteArray()> nextPiece_;
    bool finished_ = false;
};
