#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

class QTcpSocket;

// Hands symbols to a local program, one line each, over a TCP connection that
// stays open between symbols. Nothing here ever waits: symbols queue while the
// connection is being made and go out as soon as it stands, and the outcome is
// reported later through Finished. A program that went away gets a fresh
// connection with the next symbol.
class TTcpSymbolLink : public QObject
{
    Q_OBJECT

public:
    // A connection not made by then gives up the symbols waiting for it.
    static constexpr int ConnectTimeoutMs = 5000;

    explicit TTcpSymbolLink(QObject *parent = nullptr);
    ~TTcpSymbolLink() override;

    // Queues the symbol for host:port. Symbols queued for another address are
    // dropped with the connection to it.
    void Send(const QString &host, int port, const QString &symbol);
    // Symbols waiting for the connection or still being written.
    int Pending() const { return int(queued_.size() + unconfirmed_.size()); }

Q_SIGNALS:
    // The outcome of the symbols sent so far, in words for the trader; always
    // after Send has returned.
    void Finished(bool delivered, const QString &text);

private:
    QString Where() const;
    void Connect();
    void Flush();
    void BytesWritten();
    void Failed(const QString &reason);
    // Forgets the connection and every symbol waiting on it.
    void Drop();

    QString host_;
    int port_ = 0;
    QTcpSocket *socket_ = nullptr;
    bool connected_ = false;
    QStringList queued_;      // waiting for the connection
    QStringList unconfirmed_; // written, not yet taken by the system
    QTimer connectTimer_;
};
