#pragma once

#include "net/TTransportSettings.h"

#include <QString>

#include <functional>

class TIniFile;

// How the main connection's sessions reach the server: KVX.ini's "Connection" section.
// A file with nothing but the address gives plain TCP to it, as before the other keys
// existed.
//
//   address = HOST:PORT      the alert server
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
    // What every session is made with.
    TTransportSettings Transport;
    // The first mistake in the section, as the status line shows it; empty when there
    // is none. While it is set no session may be made.
    QString Error;

    // storedValue(key) gives the settings store's value for a key of its "Connection"
    // section, or a null text when it has none. Mistakes, and a stored password that
    // names no proxy, are reported to the debug window.
    using TStoredValue = std::function<QString(const QString &key)>;
    static TConnectionSettings Read(const TIniFile &ini, const TStoredValue &storedValue);
};

// The per-user settings store's "Connection" section, where the client keeps what it
// remembers between runs.
QString StoredConnectionValue(const QString &key);
