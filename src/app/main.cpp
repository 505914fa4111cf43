#include "AzurevVersion.h"
#include "client/ui/TProgramParts.h"
#include "client/ui/desktop/TDesktopAnnouncer.h"
#include "client/ui/desktop/TReportingApplication.h"
#include "client/ui/windows/TFakeDataForm.h"
#include "client/ui/windows/TMainForm.h"
#include "client/ui/windows/TMiscDebugWindow.h"
#include "client/ui/windows/TQuickstrikeExcludeForm.h"
#include "shared/MemoryReturn.h"
#include "shared/TStallReporter.h"
#include "shared/TTerminationSignals.h"

#include <cstdio>
#include <cstring>

namespace {

// Answered before anything graphical exists, so they work without a display. True when
// one was asked for.
bool AnswerHelpOrVersion(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("vadevor-azurev " AZUREV_VERSION);
            return true;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs("usage: vadevor-azurev [--help] [--version]\n"
                       "The Vadevor Azurev desktop client for real-time stock-market alerts. It reads\n"
                       "KVX.ini from the current folder (alert windows, server address, proxies) and\n"
                       "keeps what it remembers in ~/.config/Kestrova/Corvane Alerts.conf.\n"
                       "See vadevor-azurev(1).\n",
                       stdout);
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    if (AnswerHelpOrVersion(argc, argv))
        return 0;
    ReturnLargeBlocksToTheSystem();
    TReportingApplication application(argc, argv);
    ReturnFreeHeapPagesEveryMinute(&application);
    // Closing the main window ends the program, whatever other windows are open.
    application.setQuitOnLastWindowClosed(false);
    const TDebugWindowRoute debugWindow;
    // Alert windows sound and notify through the desktop; its tray icon goes before
    // the application does.
    TDesktopAnnouncer announcer;

    TProgramParts parts(announcer);

    TMainForm mainForm(parts.MainFormServices());
    QObject::connect(&mainForm, &TMainForm::Closed, &application, &QApplication::quit);
    // Shows itself only when KVX.ini enables it, and is destroyed when closed.
    new TFakeDataForm(parts.Connection());
    TQuickstrikeExcludeForm quickstrikeExcludeForm(parts.Excludes());
    mainForm.SetQuickstrikeExcludeForm(&quickstrikeExcludeForm);

    // SIGTERM and SIGINT end the program as closing the main window does, settings
    // written; the event loop turns even under a flood, so this comes at once.
    TTerminationSignals termination;
    termination.OnTerminate = [&mainForm] {
        mainForm.close();
        QApplication::quit();
    };

    // For the load and attack scripts: how freely the event loop turns under them.
    TStallReporter stallReporter(stderr, &parts.PaintLag());
    TSubscription stallCount;
    if (TStallReporter::Requested())
        stallCount = parts.Connection().SubscribeAlerts([&stallReporter](QByteArrayView body) {
            // Empty frames on the alert stream carry no alert.
            if (!body.isEmpty())
                stallReporter.CountAlert();
        });
    stallReporter.StartIfRequested();

    mainForm.show();
    return application.exec();
}
