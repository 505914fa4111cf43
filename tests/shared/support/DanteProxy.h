#pragma once

// A Dante SOCKS server (danted) on 127.0.0.1 for tests: started on a free port with
// a generated configuration, logging to a file, and stopped when this object goes.
// It offers SOCKS 4/4a and SOCKS 5 without authentication; the SOCKS 5 password
// rows use MicroSocksProxy, which needs no system account. Header-only: only the
// SOCKS tests use it.

#include <QByteArray>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>

class DanteProxy
{
public:
    static constexpr const char *kProgram = "/usr/sbin/danted";

    // Why the proxy cannot run here; empty when it can.
    static QString UnavailableReason()
    {
        if (!QFile::exists(QLatin1String(kProgram)))
            return QStringLiteral("danted is not installed (package dante-server)");
        return {};
    }

    DanteProxy() = default;
    DanteProxy(const DanteProxy &) = delete;
    DanteProxy &operator=(const DanteProxy &) = delete;
    ~DanteProxy() { Stop(); }

    // On failure returns false and says why.
    bool Start(QString *why)
    {
        // A free port can be taken by someone else before danted binds it; try again.
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

    quint16 Port() const { return port_; }
    QString PortText() const { return QString::number(port_); }
    QByteArray Log() const
    {
        QFile log(LogPath());
        return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    }

private:
    QString LogPath() const { return dir_.filePath(QStringLiteral("danted.log")); }

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
        const QString config = dir_.filePath(QStringLiteral("danted.conf"));
        QFile file(config);
        if (!dir_.isValid() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            *why = QStringLiteral("cannot write the danted configuration");
            return false;
        }
        file.write(Configuration());
        file.close();

        process_.setProgram(QLatin1String(kProgram));
        process_.setArguments({QStringLiteral("-f"), config, QStringLiteral("-p"),
                               dir_.filePath(QStringLiteral("danted.pid"))});
        // Should this test die without cleaning up, danted goes with it.
        process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        process_.start();
        if (!process_.waitForStarted(10000)) {
            *why = QStringLiteral("danted did not start");
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
            *why = QStringLiteral("danted did not come up: ")
                   + QString::fromLocal8Bit(process_.readAllStandardError() + Log());
            return false;
        }
        return true;
    }

    QByteArray Configuration() const
    {
        // Loopback only, both ways, and no authentication.
        return "logoutput: " + LogPath().toLocal8Bit() + "\n"
               "internal: 127.0.0.1 port = " + QByteArray::number(port_) + "\n"
               "external: 127.0.0.1\n"
               "clientmethod: none\n"
               "socksmethod: none\n"
               "client pass {\n"
               "  from: 127.0.0.1/32 to: 127.0.0.1/32\n"
               "  log: error\n"
               "}\n"
               "socks pass {\n"
               "  from: 127.0.0.1/32 to: 127.0.0.1/32\n"
               "  command: connect\n"
               "  log: connect error\n"
               "}\n";
    }

    QTemporaryDir dir_;
    QProcess process_;
    quint16 port_ = 0;
};
