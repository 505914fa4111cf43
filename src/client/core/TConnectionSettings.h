#pragma once

#include <QString>

#include <functional>

class TIniFile;
class TTalkWithServer;

// How the main connection's sessions reach the server beyond its address: the optional
// keys of KVX.ini's "Connection" section. A file without them gives plain TCP to
// "address", as before any of them existed.
//
//   tunnel = URL             the HTTP tunnel's address (http:// or https://); when set
//                            the tunnel is used
//   socks = HOST:PORT        SOCKS proxy (port 1080 when none is given)
//   socks level = 4 | 5      default 5; the tunnel can go through SOCKS 5 only
//   socks user, socks password
//   http proxy = HOST:PORT   HTTP proxy for the tunnel (port 8080 when none is given)
//   http proxy user, http proxy password
//   tls = 1 | 0              1: the TCP connection in TLS, the server's certificate
//                            checked; a tunnel must then be https
//
// A key with a fixed set of values accepts exactly those (or nothing): any other value
// is a mistake that stops every connection, since a default in its place could mean
// less security than the user asked for.
//
// A password counts only with its user. One left out of the file is looked up in the
// "Connection" section of the per-user settings store under a key that names its
// proxy, "http proxy password/HOST:PORT" or "socks password/HOST:PORT", so that a
// KVX.ini naming another proxy never receives it.
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
    // The first mistake in the section, as the status line shows it; empty when there
    // is none. While it is set no session may be made.
    QString Error;

    // storedValue(key) gives the settings store's value for a key of its "Connection"
    // section, or a null text when it has none. Mistakes, and a stored password that
    // names no proxy, are reported to the debug window.
    using TStoredValue = std::function<QString(const QString &key)>;
    static TConnectionSettings Read(const TIniFile &ini, const TStoredValue &storedValue);

    // Sets the session's tunnel, proxy and TLS settings (never its server address).
    void ApplyTo(TTalkWithServer &session) const;
};

// The per-user settings store's "Connection" section, where the client keeps what it
// remembers between runs.
QString StoredConnectionValue(const QString &key);
