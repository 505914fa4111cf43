// The fuzz targets that need windows: alert bodies through real alert windows, and
// KVX.ini and the settings store through the main window's start-up. They run on
// the offscreen platform, in a folder and a settings store of their own.

#include "../FuzzSupport.h"
#include "../FuzzTargets.h"

#include "client/core/TExcludeList.h"
#include "client/core/TMainConnection.h"
#include "client/ui/TProgramParts.h"
#include "client/ui/desktop/TAlertAnnouncer.h"
#include "client/ui/windows/TAlertForm.h"
#include "client/ui/windows/TMainForm.h"
#include "shared/TIniFile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

namespace {

// One window of every display kind, all subscribed to "C", as KVX.ini sets them up.
const char EveryKind[] = "[General]\n"
                         "window count=7\n"
                         "[Alert Window 0]\nsubscription=C\ntitle=Quick\nsound=beep\nnotify=1\n"
                         "[Alert Window 1]\nsubscription=C\ndisplay=set\nextra=Extra\n"
                         "[Alert Window 2]\nsubscription=C\ndisplay=symbol\n"
                         "[Alert Window 3]\nsubscription=C\ndisplay=pointslist\n"
                         "[Alert Window 4]\nsubscription=C\ndisplay=simplelist\n"
                         "[Alert Window 5]\nsubscription=C\ndisplay=jf-simplelist\n"
                         "[Alert Window 6]\nsubscription=C\ndisplay=smb\n"
                         "columns=Price,Volume,Change\n";

QTemporaryDir *workFolder = nullptr;

// What the program hands its alert windows, made afresh for every input; symbols go
// nowhere.
struct TWindowWorld
{
    explicit TWindowWorld(const TIniFile &ini)
        : Connection(ini, TMainConnection::TTickSource::Caller)
    {
    }

    TAlertFormServices Services() { return {Connection, Excludes, Announcer, {}}; }

    TMainConnection Connection;
    TExcludeList Excludes;
    TSilentAnnouncer Announcer;
};

QString SettingsFile()
{
    return workFolder->filePath(QStringLiteral("settings/Kestrova/Corvane Alerts.conf"));
}

// KVX.ini is read from the current folder, so the start-up targets run in the work
// folder; the fuzzer's own paths are relative to the folder it was started in.
class TInWorkFolder
{
public:
    TInWorkFolder() : previous_(QDir::currentPath())
    {
        Check(QDir::setCurrent(workFolder->path()), "cannot enter the work folder");
    }
    ~TInWorkFolder() { QDir::setCurrent(previous_); }

private:
    QString previous_;
};

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    Check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write a work file");
    file.write(bytes);
}

// A program start and end: the main window made from KVX.ini and the settings store,
// shown with every alert window, painted, then closed. Alert windows outlive the main
// window in the program; here they go with it.
void StartAndStop()
{
    TSilentAnnouncer announcer;
    TProgramParts parts(announcer);
    auto form = std::make_unique<TMainForm>(parts.MainFormServices());
    form->show();
    for (TAlertForm *window : form->AlertWindows()) {
        window->show();
        window->grab();
    }
    form->grab();
    const TAlertForms windows = form->AlertWindows();
    form->close();
    form.reset();
    qDeleteAll(windows);
    // The platform queues an expose for every window shown; without a pass of the
    // event loop that queue would grow with every input.
    QCoreApplication::processEvents();
}

// --- Alert bodies, separated by NUL bytes, through a window of every kind, each
// --- painted after every body; then the windows' timer and menu commands.

void FuzzAlertWindows(const QByteArray &data)
{
    const TIniFile ini = TIniFile::FromText(EveryKind);
    TWindowWorld world(ini);
    std::vector<std::unique_ptr<TAlertForm>> windows;
    for (int n = 0; n < 7; ++n) {
        windows.push_back(std::make_unique<TAlertForm>(world.Services()));
        windows.back()->LoadConfiguration(ini, "Alert Window " + QByteArray::number(n));
        windows.back()->resize(400, 300);
        windows.back()->show();
    }
    for (const QByteArray &body : data.split('\0')) {
        for (const auto &window : windows) {
            window->HandleAlert(body);
            window->grab();
        }
    }
    for (const auto &window : windows) {
        window->ExpireBollingersTimerTimer();
        window->SortNowActionExecute();
        window->FreezeAction()->toggle();
        window->FreezeActionExecute();
        window->ClearWindow();
        window->grab();
    }
    windows.clear();
    QCoreApplication::processEvents();
}

// --- KVX.ini as the input; the settings store empty.

void FuzzKvxIni(const QByteArray &data)
{
    const TInWorkFolder inWorkFolder;
    QFile::remove(SettingsFile());
    WriteFile(QStringLiteral("KVX.ini"), data);
    StartAndStop();
}

// --- The settings store's file as the input, with a window of every kind.

void FuzzSettings(const QByteArray &data)
{
    const TInWorkFolder inWorkFolder;
    WriteFile(QStringLiteral("KVX.ini"), EveryKind);
    WriteFile(SettingsFile(), data);
    StartAndStop();
}

} // namespace

QList<TNamedFuzzTarget> FuzzTargets()
{
    return {
        {"alert-windows", FuzzAlertWindows},
        {"kvx-ini", FuzzKvxIni},
        {"settings", FuzzSettings},
    };
}

void PrepareFuzzing()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform's complaints about window hints would drown the fuzzer's
    // own output; a failed check still prints its message.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    static int argc = 1;
    static char name[] = "azurev-fuzz-ui";
    static char *argv[] = {name, nullptr};
    // Kept to the end of the process, never destroyed: taken down among the static
    // objects, it would leave Qt's font caches behind for the leak checker.
    new QApplication(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    // The work folder holds KVX.ini and the settings store.
    static QTemporaryDir folder;
    workFolder = &folder;
    Check(folder.isValid(), "cannot make a work folder");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       folder.filePath(QStringLiteral("settings")));
}
