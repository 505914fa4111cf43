#include "FeedLog.h"

#include "shared/SafeText.h"

#include <cstdio>

void FeedLog(const QString &line)
{
    // Lines carry what clients sent: no byte of it may steer the terminal or start a line.
    const QByteArray text = "alert-feed: " + TerminalSafe(line.toUtf8()) + '\n';
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
}
