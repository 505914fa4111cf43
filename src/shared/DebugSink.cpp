#include "shared/DebugSink.h"

#include "shared/Exception.h"

#include <cstdio>
#include <utility>

namespace {

TDebugReceiver &Receiver()
{
    static TDebugReceiver receiver;
    return receiver;
}

} // namespace

TDebugReceiver SetDebugReceiver(TDebugReceiver receiver)
{
    return std::exchange(Receiver(), std::move(receiver));
}

void DebugOutput(const QString &text)
{
    // A copy, so a receiver that installs another one while it runs stays alive.
    if (const TDebugReceiver receiver = Receiver()) {
        receiver(text);
        return;
    }
    const QByteArray line = text.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

void ReportException(const std::exception &e, const QString &location) noexcept
{
    try {
        DebugOutput(QStringLiteral("Class=") + ExceptionClassName(e) + QStringLiteral(", Message=")
                    + ExceptionMessage(e) + QStringLiteral(", Location=") + location);
    } catch (...) {
    }
}
