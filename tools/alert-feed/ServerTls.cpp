#include "ServerTls.h"

#include "FeedFiles.h"

#include <QSslCertificate>
#include <QSslKey>
#include <QSslServer>

QString LoadServerTls(const QString &certificateFile, const QString &keyFile,
                      QSslConfiguration &configuration)
{
    QString error;
    const QByteArray certificateText = ReadFeedFile(QString(), certificateFile, error);
    const QByteArray keyText = error.isEmpty() ? ReadFeedFile(QString(), keyFile, error) : QByteArray();
    if (!error.isEmpty())
        return error;
    const QList<QSslCertificate> chain = QSslCertificate::fromData(certificateText, QSsl::Pem);
    if (chain.isEmpty())
        return QStringLiteral("no PEM certificate in %1").arg(certificateFile);
    QSslKey key(keyText, QSsl::Rsa, QSsl::Pem);
    if (key.isNull())
        key = QSslKey(keyText, QSsl::Ec, QSsl::Pem);
    if (key.isNull())
        return QStringLiteral("no unencrypted PEM RSA or EC key in %1").arg(keyFile);
    configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificateChain(chain);
    configuration.setPrivateKey(key);
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    return QString();
}

QTcpServer *MakeServer(const QSslConfiguration &tls, QObject *parent)
{
    if (tls.isNull())
        return new QTcpServer(parent);
    auto *server = new QSslServer(parent);
    server->setSslConfiguration(tls);
    return server;
}
