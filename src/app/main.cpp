#include "client/core/TMainConnection.h"
#include "client/ui/TExternalLinkingWindow.h"
#include "client/ui/TFakeDataForm.h"
#include "client/ui/TMainForm.h"
#include "client/ui/TMiscDebugWindow.h"
#include "client/ui/TQuickstrikeExcludeForm.h"
#include "client/ui/TReportingApplication.h"

int main(int argc, char *argv[])
{
    TReportingApplication application(argc, argv);
    // Closing the main window ends the program, whatever other windows are open.
    application.setQuitOnLastWindowClosed(false);
    InstallDebugWindow();

    TMainForm mainForm;
    QObject::connect(&mainForm, &TMainForm::Closed, &application, &QApplication::quit);
    TExternalLinkingWindow externalLinkingWindow;
    // Shows itself only when KVX.ini enables it, and is destroyed when closed.
    new TFakeDataForm(GetMainConnection());
    TQuickstrikeExcludeForm quickstrikeExcludeForm;
    mainForm.SetQuickstrikeExcludeForm(&quickstrikeExcludeForm);

    mainForm.show();
    return application.exec();
}
