#include "client/ui/desktop/TReportingApplication.h"

#include "shared/DebugSink.h"

#include <exception>

TReportingApplication::TReportingApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool TReportingApplication::notify(QObject *receiver, QEvent *event)
{
    // Taken now, as the handler may have destroyed the receiver by the time it throws;
    // the name is static text, so nothing is built for the events that do not throw.
    const char *const className = receiver->metaObject()->className();
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        ReportException(e, Location(className));
    } catch (...) {
        DebugOutput(QStringLiteral("Class=unknown, Message=, Location=") + Location(className));
    }
    return false;
}

QString TReportingApplication::Location(const char *className)
{
    return QStringLiteral("TReportingApplication.notify, ") + QLatin1String(className);
}
