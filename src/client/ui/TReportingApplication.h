#pragma once

#include <QApplication>

// The client's application object. An exception that escapes a window's event handler
// would otherwise end the program; here it becomes one line in the debug window and
// the event loop carries on.
class TReportingApplication : public QApplication
{
public:
    TReportingApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;
};
