#include "FeedLog.h"

#include <cstdio>

void FeedLog(const QString &line)
{
    const QByteArray text = "alert-feed: " + line.toUtf8() + '\n';
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
}
