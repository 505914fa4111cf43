#pragma once

#include <QString>

#include <exception>
#include <functional>

// The program's one diagnostic sink: code that catches an unexpected exception and
// carries on writes one line about it here. Where the line goes is up to the program:
// the client shows it in its debug window, a console tool prints it. Until a receiver
// is installed, lines go to standard error so that nothing is lost.

using TDebugReceiver = std::function<void(const QString &text)>;

// Installs the receiver of every later line and returns the one it replaces; an empty
// function restores standard error.
TDebugReceiver SetDebugReceiver(TDebugReceiver receiver);

void DebugOutput(const QString &text);

// Writes "Class=<class>, Message=<message>, Location=<location>". Never throws: a
// failure while reporting is swallowed so that reporting never fails the caller.
void ReportException(const std::exception &e, const QString &location) noexcept;
