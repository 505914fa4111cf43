#include "shared/TGenericServerConnection.h"

// Defined here so the class has one home for its virtual table.
TGenericServerConnection::~TGenericServerConnection() = default;

TSocksSettings TGenericServerConnection::SocksSettings() const
{
    TSocksSettings socks;
    socks.Server = SocksServer;
    socks.Port = SocksPort;
    socks.Usercode = SocksUsercode;
    socks.Password = SocksPassword;
    socks.Level = SocksLevel;
    socks.UserCodeAuthentication = !SocksUsercode.isEmpty();
    return socks;
}
