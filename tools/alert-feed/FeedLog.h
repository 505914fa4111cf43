#pragma once

#include <QString>

// One line on standard error, prefixed "alert-feed: ". The feed's only log.
void FeedLog(const QString &line);
