#pragma once

#include <QString>

#include <stdexcept>

// A socket that cannot even start: bad port text, an unknown SOCKS level, a user
// code too long for the proxy protocol, or a second Connect on the same socket.
// Failures of a started attempt arrive as notifications instead.
class ESocketException : public std::runtime_error
{
public:
    explicit ESocketException(const QString &message)
        : std::runtime_error(message.toStdString())
    {
    }
};
