#pragma once

// Hooks every event of a server connection and records what arrived, the way a
// session would use it: each data notification reads everything that waits.
// Declare a probe before the connection it watches: a connection that is destroyed
// open reports its end, and the probe must still be there to take it.

#include "shared/TGenericServerConnection.h"

#include <QByteArray>

struct ConnectionProbe
{
    int Connected = 0;
    int Closed = 0;
    int DataEvents = 0;
    QByteArray Received;
    // Off: leave received bytes in the connection for the test to read.
    bool ReadOnData = true;

    void Attach(TGenericServerConnection &connection)
    {
        connection.OnConnected = [this](TGenericServerConnection *) { ++Connected; };
        connection.OnSessionClosed = [this](TGenericServerConnection *) { ++Closed; };
        connection.OnDataAvailable = [this](TGenericServerConnection *sender) {
            ++DataEvents;
            if (ReadOnData) {
                QByteArray data;
                sender->ReadAvailable(data);
                Received += data;
            }
        };
    }
};
