#include "client/core/TConnectionSettings.h"

#include "client/core/TSettingsStore.h"

#include "shared/TIniFile.h"
#include "shared/TTalkWithServer.h"


namespace {

constexpr qint32 DefaultSocksPort = 1080;
constexpr qint32 DefaultHttpProxyPort = 8080;
constexpr qint32 DefaultSocksLevel = 5;

// "host:port" split at the last colon; a port that is not a number reads as 0, which
// no connection accepts, rather than silently as another port.
void SplitHostPort(const QString &text, qint32 defaultPort, QString &host, qint32 &port)
{
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    host = colon < 0 ? text : text.left(colon);
    port = defaultPort;
    if (colon >= 0 && !TIniFile::ParseInteger(text.mid(colon + 1).toUtf8(), port))
        port = 0;
}

QString Password(const TIniFile &ini, const char *key, const TConnectionSettings::TStoredValue &storedValue)
{
    // Present in the file, even empty, it wins over the store. Values are trimmed of
    // control characters, so this one never comes from a file.
    const QByteArray absent = "\x01";
    const QByteArray fromFile = ini.ReadString("Connection", key, absent);
    if (fromFile != absent)
        return QString::fromUtf8(fromFile);
    return storedValue ? storedValue(QString::fromLatin1(key)) : QString();
}

} // namespace

TConnectionSettings TConnectionSettings::Read(const TIniFile &ini, const TStoredValue &storedValue)
{
    TConnectionSettings settings;
    settings.TunnelAddress = ini.ReadText("Connection", "tunnel", QString()).trimmed();

    const QString socks = ini.ReadText("Connection", "socks", QString());
    if (!socks.isEmpty()) {
        SplitHostPort(socks, DefaultSocksPort, settings.SocksServer, settings.SocksPort);
        settings.SocksLevel = ini.ReadInteger("Connection", "socks level", DefaultSocksLevel);
        settings.SocksUser = ini.ReadText("Connection", "socks user", QString());
        if (!settings.SocksUser.isEmpty())
            settings.SocksPassword = Password(ini, "socks password", storedValue);
    }

    const QString proxy = ini.ReadText("Connection", "http proxy", QString());
    if (!proxy.isEmpty()) {
        SplitHostPort(proxy, DefaultHttpProxyPort, settings.HttpProxyHost, settings.HttpProxyPort);
        settings.HttpProxyUser = ini.ReadText("Connection", "http proxy user", QString());
        if (!settings.HttpProxyUser.isEmpty())
            settings.HttpProxyPassword = Password(ini, "http proxy password", storedValue);
    }

    settings.UseTls = ini.ReadString("Connection", "tls", QByteArray()) == "1";
    return settings;
}

void TConnectionSettings::ApplyTo(TTalkWithServer &session) const
{
    if (!TunnelAddress.isEmpty()) {
        session.UseHttpTunnel = 1;
        session.HttpTunnelAddress = TunnelAddress;
        session.SendTimeoutMs = TunnelSendTimeoutMs;
    }
    if (!SocksServer.isEmpty()) {
        session.SocksServer = SocksServer;
        session.SocksPort = SocksPort;
        session.SocksLevel = SocksLevel;
        session.SocksUsercode = SocksUser;
        session.SocksPassword = SocksPassword;
    }
    if (!HttpProxyHost.isEmpty()) {
        session.HttpProxyHost = HttpProxyHost;
        session.HttpProxyPort = HttpProxyPort;
        session.HttpProxyUsername = HttpProxyUser;
        session.HttpProxyPassword = HttpProxyPassword;
    }
    session.UseTls = UseTls;
}

QString StoredConnectionValue(const QString &key)
{
    return TSettingsStore().ReadString(QStringLiteral("Connection"), key, QString());
}
