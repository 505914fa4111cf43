#pragma once

#include "net/TTransportSettings.h"

// Plain TCP to "host:port", as a test's session or connection takes it.
inline TTransportSettings TransportTo(const QString &address)
{
    TTransportSettings transport;
    transport.ServerAddress = address;
    return transport;
}
