#include "client/core/TConnectionSettings.h"

#include "client/core/TSettingsStore.h"

#include "shared/DebugSink.h"
#include "shared/TIniFile.h"

#include <QUrl>

namespace {

const QString DefaultServerAddress = QStringLiteral("alerts.corvane-markets.com:9339");
constexpr qint32 DefaultSocksPort = 1080;
constexpr qint32 DefaultHttpProxyPort = 8080;
constexpr qint32 DefaultSocksLevel = 5;

// Keys whose value is one of a few words. Empty reads as absent.
struct TChoiceKey
{
    const char *Key;
    QByteArrayList Allowed;
    const char *Shown;
};

const TChoiceKey ChoiceKeys[] = {
    {"tls", {"1", "0"}, "1 or 0"},
    {"socks level", {"4", "5"}, "4 or 5"},
};

QString Mistake(const QString &what)
{
    return QStringLiteral("KVX.ini, [Connection]: ") + what + QStringLiteral("; not connecting.");
}

// The first mistake in the section, or an empty text.
QString FindMistake(const TIniFile &ini, const QString &tunnel)
{
    for (const TChoiceKey &choice : ChoiceKeys) {
        const QByteArray value = ini.ReadString("Connection", choice.Key, QByteArray());
        if (!value.isEmpty() && !choice.Allowed.contains(value))
            return Mistake(QStringLiteral("\"%1\" is \"%2\" but must be %3")
                               .arg(QLatin1String(choice.Key), QString::fromUtf8(value),
                                    QLatin1String(choice.Shown)));
    }
    if (tunnel.isEmpty())
        return QString();
    const QString scheme = QUrl(tunnel).scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return Mistake(QStringLiteral("the tunnel \"%1\" is not an http:// or https:// URL").arg(tunnel));
    // TLS asked for must never quietly become a tunnel in clear text.
    if (scheme == QLatin1String("http") && ini.ReadString("Connection", "tls", QByteArray()) == "1")
        return Mistake(QStringLiteral("tls=1 asks for TLS but the tunnel \"%1\" is plain http; "
                                      "use an https:// tunnel")
                           .arg(tunnel));
    return QString();
}

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

// The store's key of a password that belongs to one proxy, e.g.
// "http proxy password/proxy.corp.example:3128". Host names ignore letter case.
QString ProxyPasswordKey(const char *key, const QString &host, qint32 port)
{
    return QLatin1String(key) + QLatin1Char('/') + host.toLower() + QLatin1Char(':') + QString::number(port);
}

QString Password(const TIniFile &ini, const char *key, const QString &storeKey,
                 const TConnectionSettings::TStoredValue &storedValue)
{
    // Present in the file, even empty, it wins over the store. Values are trimmed of
    // control characters, so this one never comes from a file.
    const QByteArray absent = "\x01";
    const QByteArray fromFile = ini.ReadString("Connection", key, absent);
    if (fromFile != absent)
        return QString::fromUtf8(fromFile);
    return storedValue ? storedValue(storeKey) : QString();
}

// A password stored under the bare key, as older versions read it, names no proxy: it
// is sent to none, and the user learns where it belongs now.
void ReportUnboundPassword(const char *key, const QString &proxyKey,
                           const TConnectionSettings::TStoredValue &storedValue)
{
    if (!storedValue || storedValue(QLatin1String(key)).isEmpty())
        return;
    QString text = QStringLiteral("Class=EConfigurationValue, Message=the settings store's \"%1\" names no "
                                  "proxy and is sent to none; store it again in its [Connection] group as "
                                  "\"%1/HOST:PORT\" of the proxy it belongs to")
                       .arg(QLatin1String(key));
    if (!proxyKey.isEmpty())
        text += QStringLiteral(" (for the proxy in KVX.ini: \"%1\")").arg(proxyKey);
    DebugOutput(text + QStringLiteral(", Location=settings store, Connection"));
}

} // namespace

TConnectionSettings TConnectionSettings::Read(const TIniFile &ini, const TStoredValue &storedValue)
{
    TConnectionSettings settings;
    TTransportSettings &transport = settings.Transport;
    transport.ServerAddress = ini.ReadText("Connection", "address", DefaultServerAddress);
    transport.TunnelAddress = ini.ReadText("Connection", "tunnel", QString()).trimmed();
    settings.Error = FindMistake(ini, transport.TunnelAddress);
    if (!settings.Error.isEmpty())
        DebugOutput(QStringLiteral("Class=EConfigurationValue, Message=") + settings.Error
                    + QStringLiteral(", Location=KVX.ini, Connection"));

    QString socksPasswordKey;
    const QString socks = ini.ReadText("Connection", "socks", QString());
    if (!socks.isEmpty()) {
        TSocksProxy &proxy = transport.Socks;
        qint32 port = 0;
        SplitHostPort(socks, DefaultSocksPort, proxy.Host, port);
        proxy.Port = QString::number(port);
        socksPasswordKey = ProxyPasswordKey("socks password", proxy.Host, port);
        proxy.Level = QString::number(ini.ReadInteger("Connection", "socks level", DefaultSocksLevel));
        proxy.User = ini.ReadText("Connection", "socks user", QString());
        if (!proxy.User.isEmpty())
            proxy.Password = Password(ini, "socks password", socksPasswordKey, storedValue);
    }

    QString proxyPasswordKey;
    const QString proxy = ini.ReadText("Connection", "http proxy", QString());
    if (!proxy.isEmpty()) {
        THttpProxy &http = transport.HttpProxy;
        SplitHostPort(proxy, DefaultHttpProxyPort, http.Host, http.Port);
        proxyPasswordKey = ProxyPasswordKey("http proxy password", http.Host, http.Port);
        http.User = ini.ReadText("Connection", "http proxy user", QString());
        if (!http.User.isEmpty())
            http.Password = Password(ini, "http proxy password", proxyPasswordKey, storedValue);
    }
    ReportUnboundPassword("socks password", socksPasswordKey, storedValue);
    ReportUnboundPassword("http proxy password", proxyPasswordKey, storedValue);

    transport.UseTls = ini.ReadString("Connection", "tls", QByteArray()) == "1";
    return settings;
}

QString StoredConnectionValue(const QString &key)
{
    return TSettingsStore().ReadString(QStringLiteral("Connection"), key, QString());
}
