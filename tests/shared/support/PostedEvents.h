#pragma once

#include <QCoreApplication>
#include <QTest>

#include <memory>

// Waits for a sentinel event posted now. Events are handled in the order they were
// posted, so by then every one posted earlier (a wake-up, a layout request) has been
// handled too: the wait for "nothing followed from what was just done".
inline bool HandleEventsPostedSoFar(int timeoutMs = 10000)
{
    const auto reached = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(QCoreApplication::instance(), [reached] { *reached = true; }, Qt::QueuedConnection);
    return QTest::qWaitFor([&reached] { return *reached; }, timeoutMs);
}
