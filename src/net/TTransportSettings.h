#pragma once

#include <QString>

// A SOCKS 4/4a or 5 proxy. Port and level stay the decimal text they were given, so
// a value that no connection can use fails the connection by name.
struct TSocksProxy
{
    QString Host;
    QString Port;
    QString Level; // "4" or "5"
    QString User; // non-empty switches on user-code authentication
    QString Password;

    // Half a proxy setting is no proxy.
    bool IsSet() const { return !Host.isEmpty() && !Port.isEmpty() && !Level.isEmpty(); }
};

// An HTTP proxy; it serves the tunnel only.
struct THttpProxy
{
    QString Host; // empty = no HTTP proxy
    qint32 Port = 0;
    QString User;
    QString Password;
};

// How a server session reaches the alert server: read once from the settings and
// handed unchanged to the session and from there to the socket or the tunnel.
struct TTransportSettings
{
    // "host:port"; without a colon the whole text is the host and the port is 8888.
    QString ServerAddress;
    // The HTTP tunnel's address; when set the tunnel is used instead of TCP.
    QString TunnelAddress;
    // How long one tunnel upload may take before it is posted again. Slow proxies and
    // congested links must not turn every upload into a failure.
    qint32 TunnelSendTimeoutMs = 30000;
    TSocksProxy Socks;
    THttpProxy HttpProxy;
    bool UseTls = false; // TCP only: TLS, the server's certificate checked (the tunnel uses https)
};
