#include "TFaultStream.h"

#include <QTcpSocket>
#include <QTimer>

namespace {

// Unsent bytes the stream lets pile up before it waits for the peer.
constexpr qint64 Backlog = 1024 * 1024;

} // namespace

TFaultStream::TFaultStream(QTcpSocket *socket, std::function<QByteArray()> nextPiece,
                           QObject *parent)
    : QObject(parent), socket_(socket), nextPiece_(std::move(nextPiece))
{
    connect(socket_, &QTcpSocket::bytesWritten, this, &TFaultStream::Pump);
}

void TFaultStream::Start()
{
    QTimer::singleShot(0, this, &TFaultStream::Pump);
}

void TFaultStream::Pump()
{
    // A bounded number of pieces per call, so the feed's own loop keeps turning too.
    for (int pieces = 0; pieces < 64 && !finished_; ++pieces) {
        if (socket_->state() != QAbstractSocket::ConnectedState || socket_->bytesToWrite() > Backlog)
            return;
        const QByteArray piece = nextPiece_();
        if (piece.isEmpty()) {
            finished_ = true;
            disconnect(socket_, nullptr, this, nullptr);
            Q_EMIT Finished();
            return;
        }
        socket_->write(piece);
    }
    if (!finished_)
        QTimer::singleShot(0, this, &TFaultStream::Pump);
}
