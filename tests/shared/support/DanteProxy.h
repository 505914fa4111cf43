#pragma once

// A Dante SOCKS server (danted) on 127.0.0.1 for tests: started on a free port with
// a generated configuration, logging to a file, and stopped when this object goes.
// It offers SOCKS 4/4a and SOCKS 5, the latter with and without user name/password
// authentication; the user name method checks system accounts, so a dedicated
// account is created (as root) for it. Header-only: only the SOCKS tests use it.

#include <QByteArray>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

class DanteProxy
{
public:
    static constexpr const char *kProgram = "/usr/sbin/danted";
    static constexpr const char *kUser = "azurev-socks";
    static constexpr const char *kPassword = "Loopback-only-7319";

    // Why the proxy cannot run here; empty when it can.
    static QString UnavailableReason()
    {
        if (!QFile::exists(QLatin1String(kProgram)))
            return QStringLiteral("danted is not installed (package dante-server)");
        if (::geteuid() != 0)
            return QStringLiteral("SOCKS tests need root: danted's user name method checks a system account that only root may create");
        return {};
    }

    DanteProxy() = default;
    DanteProxy(const DanteProxy &) = delete;
    DanteProxy &operator=(const DanteProxy &) = delete;
    ~DanteProxy() { Stop(); }

    // Makes sure the account exists with the known password, then starts danted.
    // On failure returns false and says why.
    bool Start(QString *why)
    {
        if (!EnsureAccount(why))
            return false;
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
    static bool Run(const QString &program, const QStringList &arguments, const QByteArray &input,
                    QString *why)
    {
        QProcess process;
        process.start(program, arguments);
        if (!process.waitForStarted(10000)) {
            *why = program + QStringLiteral(" did not start");
            return false;
        }
        process.write(input);
        process.closeWriteChannel();
        if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit
            || process.exitCode() != 0) {
            *why = program + QStringLiteral(" failed: ")
                   + QString::fromLocal8Bit(process.readAllStandardError());
            return false;
        }
        return true;
    }

    static bool AccountExists()
    {
        QString ignored;
        return Run(QStringLiteral("getent"), {QStringLiteral("passwd"), QLatin1String(kUser)}, {},
                   &ignored);
    }

    static bool EnsureAccount(QString *why)
    {
        if (!AccountExists()) {
            QString failure;
            const bool added = Run(QStringLiteral("useradd"),
                                   {QStringLiteral("--system"), QStringLiteral("--no-create-home"),
                                    QStringLiteral("--shell"), QStringLiteral("/usr/sbin/nologin"),
                                    QLatin1String(kUser)},
                                   {}, &failure);
            // Another test run may have created it in the meantime.
            if (!added && !AccountExists()) {
                *why = failure;
                return false;
            }
        }
        return Run(QStringLiteral("chpasswd"), {},
                   QByteArray(kUser) + ':' + QByteArray(kPassword) + '\n', why);
    }

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
        // Loopback only, both ways. SOCKS 4 requests and SOCKS 5 clients that offer
        // no authentication get "none"; those that offer user name/password get it.
        return "logoutput: " + LogPath().toLocal8Bit() + "\n"
               "internal: 127.0.0.1 port = " + QByteArray::number(port_) + "\n"
               "external: 127.0.0.1\n"
               "clientmethod: none\n"
               "socksmethod: username none\n"
               "user.privileged: root\n"
               "user.unprivileged: nobody\n"
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
