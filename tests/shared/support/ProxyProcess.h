#pragma once

// A proxy program (danted, microsocks, tinyproxy) on a free 127.0.0.1 port, with its
// own configuration in a temporary folder, logging to a file there, and stopped when
// this object goes. Nothing it needs outlives the test: no system account, no file
// outside the folder. Header-only: only the proxy tests use it.

#include "StopProcess.h"

#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>

class TProxyProcess
{
public:
    static constexpr const char *kDante = "/usr/sbin/danted";
    static constexpr const char *kMicrosocks = "/usr/bin/microsocks";
    static constexpr const char *kTinyproxy = "/usr/bin/tinyproxy";

    // Why the program cannot run here; empty when it can.
    static QString UnavailableReason(const char *program)
    {
        if (QFile::exists(QLatin1String(program)))
            return {};
        return QLatin1String(program) + QStringLiteral(" is not installed");
    }

    TProxyProcess() = default;
    TProxyProcess(const TProxyProcess &) = delete;
    TProxyProcess &operator=(const TProxyProcess &) = delete;
    ~TProxyProcess() { Stop(); }

    // danted, SOCKS 4/4a and 5 without authentication, loopback only both ways.
    bool StartDante(QString *why)
    {
        return Start(kDante, why, [this](quint16 port) {
            QFile config(dir_.filePath(QStringLiteral("danted.conf")));
            if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate))
                return QStringList();
            config.write("logoutput: " + LogPath().toLocal8Bit() + "\n"
                         "internal: 127.0.0.1 port = " + QByteArray::number(port) + "\n"
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
                         "}\n");
            return QStringList{QStringLiteral("-f"), config.fileName(), QStringLiteral("-p"),
                               dir_.filePath(QStringLiteral("danted.pid"))};
        });
    }

    // microsocks, SOCKS 5 only; with a user it lets in only clients that log in.
    bool StartMicrosocks(const QString &user, const QString &password, QString *why)
    {
        return Start(kMicrosocks, why, [&](quint16 port) {
            QStringList arguments{QStringLiteral("-i"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                                  QString::number(port), QStringLiteral("-b"), QStringLiteral("127.0.0.1")};
            if (!user.isEmpty())
                arguments << QStringLiteral("-u") << user << QStringLiteral("-P") << password;
            return arguments;
        });
    }

    // tinyproxy; with a user it asks for basic authentication.
    bool StartTinyproxy(const QByteArray &user, const QByteArray &password, QString *why)
    {
        return Start(kTinyproxy, why, [&](quint16 port) {
            QFile config(dir_.filePath(QStringLiteral("tinyproxy.conf")));
            if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate))
                return QStringList();
            config.write("User nobody\nGroup nogroup\nListen 127.0.0.1\nPort " + QByteArray::number(port)
                         + "\nTimeout 600\nMaxClients 20\nAllow 127.0.0.1\nLogLevel Connect\n"
                           "DisableViaHeader Yes\n");
            if (!user.isEmpty())
                config.write("BasicAuth " + user + ' ' + password + '\n');
            return QStringList{QStringLiteral("-d"), QStringLiteral("-c"), config.fileName()};
        });
    }

    void Stop() { StopProcess(process_); }

    quint16 Port() const { return port_; }
    QString PortText() const { return QString::number(port_); }
    // What the proxy logged, to its log file or on either output.
    QByteArray Log() const
    {
        QFile log(LogPath());
        return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    }

private:
    QString LogPath() const { return dir_.filePath(QStringLiteral("proxy.log")); }

    // Arguments gets the port and gives the program's arguments (none: it could not
    // write its configuration).
    template <typename Arguments>
    bool Start(const char *program, QString *why, const Arguments &arguments)
    {
        *why = UnavailableReason(program);
        if (!why->isEmpty())
            return false;
        if (!dir_.isValid()) {
            *why = QStringLiteral("no temporary folder for the proxy");
            return false;
        }
        // A free port can be taken by someone else before the proxy binds it; try again.
        for (int attempt = 0; attempt < 3; ++attempt) {
            {
                QTcpServer probe;
                if (!probe.listen(QHostAddress::LocalHost, 0)) {
                    *why = QStringLiteral("no free loopback port");
                    return false;
                }
                port_ = probe.serverPort();
            }
            const QStringList programArguments = arguments(port_);
            if (programArguments.isEmpty()) {
                *why = QStringLiteral("cannot write the proxy's configuration");
                return false;
            }
            process_.setProcessChannelMode(QProcess::MergedChannels);
            process_.setStandardOutputFile(LogPath(), QIODevice::Append);
            // Should the test die without cleaning up, the proxy goes with it.
            process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
            process_.start(QLatin1String(program), programArguments);
            const bool listening = process_.waitForStarted(10000) && QTest::qWaitFor([this] {
                if (process_.state() != QProcess::Running)
                    return true;
                QTcpSocket knock;
                knock.connectToHost(QHostAddress::LocalHost, port_);
                return knock.waitForConnected(200);
            }, 15000);
            if (listening && process_.state() == QProcess::Running)
                return true;
            Stop();
        }
        *why = QLatin1String(program) + QStringLiteral(" did not come up: ") + QString::fromLocal8Bit(Log());
        return false;
    }

    QTemporaryDir dir_;
    QProcess process_;
    quint16 port_ = 0;
};
