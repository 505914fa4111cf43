#include "TFeedServer.h"

#include "FeedLog.h"
#include "TAlertBroadcaster.h"
#include "TGeneratedAlerts.h"
#include "TReplayedAlerts.h"
#include "ServerTls.h"
#include "TTunnelGateway.h"

#include "shared/TIniFile.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTime>

namespace {

// Keeps the session identifiers apart from the market's numbers of the same seed.
constexpr quint64 SessionIdSalt = 0x5e55'10a1'd5a1'7ULL;
// 10:30:00, an hour into the trading day.
constexpr int SeededStartMs = (10 * 60 + 30) * 60 * 1000;

} // namespace

TFeedServer::TFeedServer(TFeedOptions options, QObject *parent)
    : QObject(parent),
      options_(std::move(options)),
      seed_(options_.Seed.value_or(QRandomGenerator::system()->generate64())),
      sessionIds_(seed_ ^ SessionIdSalt)
{
    services_.Users = &users_;
    services_.Faults = options_.Faults;
    services_.NewSessionId = [this] { return NewSessionId(); };
}

TFeedServer::~TFeedServer()
{
    // Tunnels and sessions go first: they use the services and the broadcaster, which
    // go next.
    delete tunnelGateway_;
    qDeleteAll(findChildren<TFeedSession *>(QString(), Qt::FindDirectChildrenOnly));
}

QString TFeedServer::Start()
{
    QString error = LoadFiles();
    if (!error.isEmpty())
        return error;
    std::unique_ptr<TAlertSource> source = MakeSource(error);
    if (!source)
        return error;
    broadcaster_ = std::make_unique<TAlertBroadcaster>(std::move(source));

    QSslConfiguration tls;
    if (!options_.TlsCertificateFile.isEmpty()) {
        error = LoadServerTls(options_.TlsCertificateFile, options_.TlsKeyFile, tls);
        if (!error.isEmpty())
            return QStringLiteral("--tls: ") + error;
    }
    server_ = MakeServer(tls, this);
    // With TLS a connection is pending only once its handshake is done.
    connect(server_, &QTcpServer::pendingConnectionAvailable, this,
            [this] { AcceptConnections(server_); });
    if (!server_->listen(options_.ListenAddress, options_.ListenPort))
        return QStringLiteral("cannot listen on %1:%2: %3")
            .arg(options_.ListenAddress.toString())
            .arg(options_.ListenPort)
            .arg(server_->errorString());
    return options_.Tunnel ? StartTunnel() : QString();
}

QString TFeedServer::StartTunnel()
{
    connect(&tunnelEntrance_, &QTcpServer::pendingConnectionAvailable, this,
            [this] { AcceptConnections(&tunnelEntrance_); });
    if (!tunnelEntrance_.listen(QHostAddress::LocalHost, 0))
        return QStringLiteral("cannot listen for tunnels: ") + tunnelEntrance_.errorString();
    tunnelGateway_ = new TTunnelGateway(*options_.Tunnel, this);
    return tunnelGateway_->Start(QHostAddress(QHostAddress::LocalHost), tunnelEntrance_.serverPort());
}

QString TFeedServer::TunnelUrl() const
{
    return tunnelGateway_ ? tunnelGateway_->Url() : QString();
}

QString TFeedServer::LoadFiles()
{
    QString error;
    if (!options_.UsersFile.isEmpty())
        error = users_.Load(options_.UsersFile);
    if (error.isEmpty() && !options_.IniFile.isEmpty()) {
        // The client reads a missing ini as empty; for the server it is a mistake.
        if (!QFileInfo(options_.IniFile).isFile())
            return QStringLiteral("cannot read ini file %1").arg(options_.IniFile);
        kinds_.Load(TIniFile(options_.IniFile));
    }
    // The command line has the last word over the ini.
    for (const auto &[category, kind] : std::as_const(options_.Categories))
        kinds_.Set(category, kind);
    if (kinds_.Count() > 0)
        FeedLog(QStringLiteral("categories: ") + kinds_.Describe());
    if (error.isEmpty() && !options_.RecordFile.isEmpty()) {
        error = recorder_.Open(options_.RecordFile);
        services_.Recorder = &recorder_;
    }
    return error;
}

std::unique_ptr<TAlertSource> TFeedServer::MakeSource(QString &error)
{
    if (!options_.ReplayFile.isEmpty()) {
        TReplayScript script;
        error = script.Load(options_.ReplayFile);
        if (!error.isEmpty())
            return nullptr;
        // Without a rate a recording keeps its own pace; one without times gets the
        // demo rate rather than arriving all at once.
        const double rate =
            options_.Rate.value_or(script.HasTimes() ? 0.0 : TFeedOptions::DemoRate);
        return std::make_unique<TReplayedAlerts>(std::move(script), rate);
    }
    // A seeded run starts its market at a fixed time, so it is the same run every time;
    // otherwise the market's clock starts at the local time of day.
    const int startMs = options_.Seed ? SeededStartMs : QTime::currentTime().msecsSinceStartOfDay();
    auto generated = std::make_unique<TGeneratedAlerts>(
        seed_, startMs, options_.Rate.value_or(TFeedOptions::DemoRate), kinds_);
    if (options_.BurstAlerts) {
        generated->EndAfter(*options_.BurstAlerts);
        generated->MakeBurst();
    } else if (options_.MaxAlerts) {
        generated->EndAfter(*options_.MaxAlerts);
    }
    return generated;
}

void TFeedServer::AcceptConnections(QTcpServer *server)
{
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        auto *session = new TFeedSession(socket, ++connectionCount_, services_, this);
        broadcaster_->AddSession(session);
        connect(session, &TFeedSession::WantsAlerts, broadcaster_.get(), &TAlertBroadcaster::Wake);
        connect(session, &TFeedSession::Closed, this, [this](TFeedSession *closed) {
            broadcaster_->RemoveSession(closed);
            closed->deleteLater();
        });
    }
}

QByteArray TFeedServer::NewSessionId()
{
    return QByteArray::number(sessionIds_.Bits(), 16).rightJustified(16, '0');
}
