#include "TTunnelBridge.h"

#include "FeedLog.h"

TTunnelBridge::TTunnelBridge(QTcpSocket *download, const QByteArray &id,
                             const QByteArray &uploadUrl, const QHostAddress &entryAddress,
                             quint16 entryPort, int refusedUploads, QObject *parent)
    : QObject(parent), download_(download), id_(id), refusalsLeft_(refusedUploads)
{
    download_->setParent(this);
    // No length: the body lasts as long as the session.
    download_->write("HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n"
                     "Cache-Control: no-cache\r\nConnection: close\r\n\r\n"
                     "AZUREV TUNNEL " + id_ + "\r\n" + uploadUrl + "\r\n");
    connect(download_, &QTcpSocket::disconnected, this, &TTunnelBridge::Close);
    connect(&entry_, &QTcpSocket::readyRead, this, &TTunnelBridge::SessionOutput);
    connect(&entry_, &QTcpSocket::disconnected, this, &TTunnelBridge::Close);
    connect(&entry_, &QTcpSocket::errorOccurred, this, &TTunnelBridge::Close);
    // Uploads written before the connection is up wait in the socket's buffer.
    entry_.connectToHost(entryAddress, entryPort);
    FeedLog(QStringLiteral("tunnel %1 opened").arg(QString::fromLatin1(id_)));
}

TTunnelBridge::~TTunnelBridge()
{
    entry_.disconnect(this);
    if (download_)
        download_->disconnect(this);
}

bool TTunnelBridge::Upload(qint64 sequence, const QByteArray &bytes)
{
    if (refusalsLeft_ > 0) {
        --refusalsLeft_;
        FeedLog(QStringLiteral("tunnel %1: upload %2 refused on purpose")
                    .arg(QString::fromLatin1(id_))
                    .arg(sequence));
        return false;
    }
    if (sequence < nextSequence_)
        return true;
    heldUploads_.insert(sequence, bytes);
    while (!heldUploads_.isEmpty() && heldUploads_.firstKey() == nextSequence_) {
        entry_.write(heldUploads_.take(nextSequence_));
        ++nextSequence_;
    }
    return true;
}

void TTunnelBridge::SessionOutput()
{
    if (download_)
        download_->write(entry_.readAll());
}

void TTunnelBridge::Close()
{
    if (closed_)
        return;
    closed_ = true;
    FeedLog(QStringLiteral("tunnel %1 closed").arg(QString::fromLatin1(id_)));
    // Whatever the session said last still goes out before the GET ends, so the
    // download connection lives on by itself until it has closed.
    QTcpSocket *download = download_;
    download_ = nullptr;
    download->disconnect(this);
    download->setParent(nullptr);
    download->write(entry_.readAll());
    connect(download, &QTcpSocket::disconnected, download, &QObject::deleteLater);
    download->disconnectFromHost();
    if (download->state() == QAbstractSocket::UnconnectedState)
        download->deleteLater();
    entry_.disconnectFromHost();
    Q_EMIT Closed(this);
}
