#pragma once

#include <QByteArray>

// The whole way of the server's bytes into a logged-in main connection, through a
// real loopback connection: inflate, cut, routing, alert dispatch and the login
// answer. See SessionFuzzTarget.cpp for what the input means.
void FuzzSession(const QByteArray &data);
