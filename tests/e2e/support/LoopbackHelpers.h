#pragma once

// Loopback-only helpers for the transport tests: a self-signed certificate made with
// openssl and trusted by this test process only, and proxy programs (tinyproxy,
// microsocks) started on a free 127.0.0.1 port with their own configuration in a
// temporary folder. Header-only: only the transport tests use them.

#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>

// A certificate for 127.0.0.1 and localhost, with its key, valid for two days.
class TTestCertificate
{
public:
    // Makes the files; false with the reason when openssl is missing or fails.
    bool Create(QString *why)
    {
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"),
                      {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                       "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1", "-addext",
                       "subjectAltName=IP:127.0.0.1,DNS:localhost", "-keyout", KeyFile(), "-out",
                       CertificateFile()});
        if (!openssl.waitForFinished(30000) || openssl.exitStatus() != QProcess::NormalExit
            || openssl.exitCode() != 0) {
            *why = QStringLiteral("openssl failed: ") + QString::fromLocal8Bit(openssl.readAllStandardError())
                   + openssl.errorString();
            return false;
        }
        return true;
    }

    QString CertificateFile() const { return dir_.filePath(QStringLiteral("cert.pem")); }
    QString KeyFile() const { return dir_.filePath(QStringLiteral("key.pem")); }

    // Trusted from now on by every TLS connection this process makes, next to the
    // system's authorities. Nothing outside the test process is touched.
    void TrustInThisProcess() const
    {
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.addCaCertificates(QSslCertificate::fromPath(CertificateFile()));
        QSslConfiguration::setDefaultConfiguration(configuration);
    }

private:
    QTemporaryDir dir_;
};

// A proxy program on a free loopback port, stopped when this object goes.
class TProxyProcess
{
public:
    ~TProxyProcess()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    // tinyproxy with its own configuration; with a user it asks for basic authentication.
    bool StartTinyproxy(const QByteArray &user, const QByteArray &password, QString *why)
    {
        return Start(QStringLiteral("/usr/bin/tinyproxy"), why, [&](quint16 port) {
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

    // microsocks, SOCKS 5 only; with a user it asks for user name and password.
    bool StartMicrosocks(const QString &user, const QString &password, QString *why)
    {
        return Start(QStringLiteral("/usr/bin/microsocks"), why, [&](quint16 port) {
            QStringList arguments{QStringLiteral("-i"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                                  QString::number(port)};
            if (!user.isEmpty())
                arguments << QStringLiteral("-u") << user << QStringLiteral("-P") << password;
            return arguments;
        });
    }

    quint16 Port() const { return port_; }
    // What the proxy logged, on either output.
    QByteArray Log() const
    {
        QFile log(LogPath());
        return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    }

private:
    QString LogPath() const { return dir_.filePath(QStringLiteral("proxy.log")); }

    template <typename Arguments>
    bool Start(const QString &program, QString *why, const Arguments &arguments)
    {
        if (!QFile::exists(program)) {
            *why = program + QStringLiteral(" is not installed");
            return false;
        }
        // A free port can be taken before the proxy binds it; try again.
        for (int attempt = 0; attempt < 3; ++attempt) {
            {
                QTcpServer probe;
                probe.listen(QHostAddress::LocalHost, 0);
                port_ = probe.serverPort();
            }
            process_.setProcessChannelMode(QProcess::MergedChannels);
            process_.setStandardOutputFile(LogPath(), QIODevice::Append);
            // Should the test die without cleaning up, the proxy goes with it.
            process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
            process_.start(program, arguments(port_));
            const bool listening = process_.waitForStarted(10000) && QTest::qWaitFor([this] {
                if (process_.state() != QProcess::Running)
                    return true;
                QTcpSocket knock;
                knock.connectToHost(QHostAddress::LocalHost, port_);
                return knock.waitForConnected(200);
            }, 10000);
            if (listening && process_.state() == QProcess::Running)
                return true;
            process_.kill();
            process_.waitForFinished(5000);
        }
        *why = program + QStringLiteral(" did not come up: ") + QString::fromLocal8Bit(Log());
        return false;
    }

    QTemporaryDir dir_;
    QProcess process_;
    quint16 port_ = 0;
};
