#pragma once

// Ends a helper program a test started: asks it to stop (SIGTERM) and kills it when it
// will not, each within a bounded wait.

#include <QProcess>

inline void StopProcess(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}
