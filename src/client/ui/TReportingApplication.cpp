#include "client/ui/TReportingApplication.h"

#include "shared/DebugSink.h"

#include <exception>

TReportingApplication::TReportingApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool TReportingApplication::notify(QObject *receiver, QEvent *event)
{
    // Taken now: the handler may have destroyed the receiver by the time it throws.
    const QString location = QStringLiteral("TReportingApplication.notify, ")
                             + QLatin1String(receiver->metaObject()->className());
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        ReportException(e, location);
    } catch (...) {
        DebugOutput(QStringLiteral("Class=unknown, Message=, Location=") + location);
    }
    return false;
}
