#pragma once

// A self-signed certificate for the transport tests, made with openssl and trusted by
// this test process only. Header-only: only the transport tests use it.

#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTemporaryDir>

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
