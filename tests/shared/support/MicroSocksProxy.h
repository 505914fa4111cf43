#pragma once

// A microsocks SOCKS 5 server on 127.0.0.1 for tests, which keeps its one user name
// and password on its command line: a password made up for this run, so the tests
// create no account and leave nothing behind. It accepts only clients that log in.
// Header-only: only the SOCKS tests use it.

#include <QByteArray>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>

class MicroSocksProxy
{
public:
    static constexpr const char *kProgram = "/usr/bin/microsocks";
    static constexpr const char *kUser = "azurev";

    // Why the proxy cannot run here; empty when it can.
    static QString UnavailableReason()
    {
        if (!QFile::exists(QLatin1String(kProgram)))
            return QStringLiteral("microsocks is not installed (package microsocks)");
        return {};
    }

    MicroSocksProxy()
    {
        for (int i = 0; i < 16; ++i)
            password_ += QChar(QLatin1Char('a' + char(QRandomGenerator::global()->bounded(26))));
    }
    MicroSocksProxy(const MicroSocksProxy &) = delete;
    MicroSocksProxy &operator=(const MicroSocksProxy &) = delete;
    ~MicroSocksProxy() { Stop(); }

    // On failure returns false and says why.
    bool Start(QString *why)
    {
        // A free port can be taken by someone else before microsocks binds it.
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (StartOnFreePort(why))
                return true;
            Stop();
        }
        return false;
    }

    void Stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    QString PortText() const { return QString::number(port_); }
    QString User() const { return QLatin1String(kUser); }
    QString Password() const { return password_; }

private:
    bool StartOnFreePort(QString *why)
    {
        {
            QTcpServer probe;
            if (!probe.listen(QHostAddress::LocalHost, 0)) {
                *why = QStringLiteral("no free loopback port");
                return false;
            }
            port_ = probe.serverPort();
        }
        process_.setProgram(QLatin1String(kProgram));
        process_.setArguments({QStringLiteral("-i"), QStringLiteral("127.0.0.1"),
                               QStringLiteral("-p"), PortText(), QStringLiteral("-b"),
                               QStringLiteral("127.0.0.1"), QStringLiteral("-u"), User(),
                               QStringLiteral("-P"), password_});
        // Should this test die without cleaning up, microsocks goes with it.
        process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        process_.start();
        if (!process_.waitForStarted(10000)) {
            *why = QStringLiteral("microsocks did not start");
            return false;
        }
        const bool listening = QTest::qWaitFor([this] {
            if (process_.state() != QProcess::Running)
                return true;
            QTcpSocket knock;
            knock.connectToHost(QHostAddress::LocalHost, port_);
            return knock.waitForConnected(200);
        }, 15000);
        if (!listening || process_.state() != QProcess::Running) {
            *why = QStringLiteral("microsocks did not come up: ")
                   + QString::fromLocal8Bit(process_.readAllStandardError());
            return false;
        }
        return true;
    }

    QString password_;
    QProcess process_;
    quint16 port_ = 0;
};
