#pragma once

// A frame echoed back and forth over a loopback connection of its own. Its
// notifications queue up behind everything already on its way in this thread (socket
// events, queued calls, deferred deletes), so once the last echo is back a test knows
// that a notification it must not see had its chance to come. Faster than a guessed
// sleep, and not racy. Header-only so any test can use it.

#include <QByteArray>
#include <QCoreApplication>
#include <QEventLoop>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace EventLoopSentinel {

// Each echo costs the event loop several turns; three cover a connect, a write and a
// read that a stray notification would need. False when the sentinel got lost.
[[nodiscard]] inline bool PassThrough(int echoes = 3)
{
    constexpr int WaitMs = 10000;
    const QByteArray frame("sentinel");
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return false;
    QEventLoop loop;
    std::unique_ptr<QTcpSocket> far;
    QObject::connect(&server, &QTcpServer::newConnection, &loop, [&] {
        far.reset(server.nextPendingConnection());
        far->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        QObject::connect(far.get(), &QTcpSocket::readyRead, &loop, [&far] { far->write(far->readAll()); });
    });
    QTcpSocket near;
    // Without Nagle's wait for an acknowledgement an echo costs no time, only turns.
    QObject::connect(&near, &QTcpSocket::connected, &loop, [&] {
        near.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        near.write(frame);
    });
    QByteArray echoed;
    int left = echoes;
    QObject::connect(&near, &QTcpSocket::readyRead, &loop, [&] {
        echoed += near.readAll();
        if (echoed.size() < frame.size())
            return;
        echoed.remove(0, frame.size());
        if (--left == 0)
            loop.quit();
        else
            near.write(frame);
    });
    QTimer::singleShot(WaitMs, &loop, [&loop] { loop.exit(1); });
    near.connectToHost(QHostAddress::LocalHost, server.serverPort());
    const bool back = loop.exec() == 0;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return back;
}

} // namespace EventLoopSentinel
