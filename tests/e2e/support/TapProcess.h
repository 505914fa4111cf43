#pragma once

// azurev-tap as the end-to-end tests run it: in a folder of its own (where it reads
// KVX.ini), with the password on its standard input.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <csignal>
#include <sys/types.h>

#ifdef AZUREV_TAP_BIN
inline const QString TapBinary = QStringLiteral(AZUREV_TAP_BIN);
#else
inline const QString TapBinary;
#endif

// False when it did not start in time.
[[nodiscard]] inline bool StartTap(QProcess &tap, const QString &folder, const QStringList &arguments,
                                   const QByteArray &password = "secret\n")
{
    tap.setWorkingDirectory(folder);
    tap.start(TapBinary, arguments);
    if (!tap.waitForStarted(15000))
        return false;
    tap.write(password);
    tap.closeWriteChannel();
    return true;
}

// Sends the signal and waits: true when the program then ended by itself with code 0.
[[nodiscard]] inline bool EndsCleanlyOn(QProcess &program, int signal, int waitMs)
{
    ::kill(static_cast<pid_t>(program.processId()), signal);
    return program.waitForFinished(waitMs) && program.exitStatus() == QProcess::NormalExit
           && program.exitCode() == 0;
}
