#pragma once

#include <QString>

#include <functional>

class TIniFile;
class TTalkWithServer;

// How the main connection's sessions reach the server beyond its address: the optional
// keys of KVX.ini's "Connection" section. A file without them gives plain TCP to
// "address", as before any of them existed.
//
//   tunnel = URL             the HTTP tunnel's address; when set the tunnel is used
//   socks = HOST:PORT        SOCKS proxy (port 1080 when none is given)
//   socks level = 4 | 5      default 5; the tunnel can go through SOCKS 5 only
//   socks user, socks password
//   http proxy = HOST:PORT   HTTP proxy for the tunnel (port 8080 when none is given)
//   http proxy user, http proxy password
//   tls = 1                  the TCP connection in TLS, the server's certificate checked
//
// A password counts only with its user. One left out of the file is looked up under
// the same key in the "Connection" section of the per-user settings store, so it need
// not sit in a plain file that others can read.
struct TConnectionSettings
{
    // An upload the tunnel may wait for before it posts it again. Slow proxies and
    // congested links must not turn every upload into a failure.
    static constexpr qint32 TunnelSendTimeoutMs = 30000;

    QString TunnelAddress;
    QString SocksServer;
    qint32 SocksPort = 0;
    qint32 SocksLevel = 0;
    QString SocksUser;
    QString SocksPassword;
    QString HttpProxyHost;
    qint32 HttpProxyPort = 0;
    QString HttpProxyUser;
    QString HttpProxyPassword;
    bool UseTls = false;

    // storedValue(key) gives the settings store's value for a key of its "Connection"
    // section, or a null text when it has none.
    using TStoredValue = std::function<QString(const QString &key)>;
    static TConnectionSettings Read(const TIniFile &ini, const TStoredValue &storedValue);

    // Sets the session's tunnel, proxy and TLS settings (never its server address).
    void ApplyTo(TTalkWithServer &session) const;
};

// The per-user settings store's "Connection" section, where the client keeps what it
// remembers between runs.
QString StoredConnectionValue(const QString &key);
