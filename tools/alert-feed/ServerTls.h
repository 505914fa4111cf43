#pragma once

#include <QSslConfiguration>
#include <QString>

class QTcpServer;

// A server-side TLS configuration from a PEM certificate (chain) and its PEM key, RSA
// or elliptic-curve. Returns an error text, empty on success.
QString LoadServerTls(const QString &certificateFile, const QString &keyFile,
                      QSslConfiguration &configuration);

// A plain TCP server, or one that speaks TLS when the configuration is not null. Either
// way nextPendingConnection hands out sockets ready to use, announced by
// pendingConnectionAvailable.
QTcpServer *MakeServer(const QSslConfiguration &tls, QObject *parent);
