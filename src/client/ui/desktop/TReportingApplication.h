#pragma once

#include <QApplication>

// The client's application object. An exception that escapes a window's event handler
// would otherwise end the program; here it becomes one line in the debug window and
// the event loop carries on. It is a last resort: Qt's own frames between the handler
// and here are unwound without running their clean-up (Qt is built without exception
// handling), so a mouse event that throws leaves behind the few hundred bytes Qt held
// for it. The fix for that is a handler that catches its own errors.
class TReportingApplication : public QApplication
{
public:
    TReportingApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

private:
    static QString Location(const char *className);
};
