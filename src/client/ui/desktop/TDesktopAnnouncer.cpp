#include "client/ui/desktop/TDesktopAnnouncer.h"

#include <QApplication>
#include <QDBusConnection>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// Command-line players that take a file name and end when it has played.
QString FindPlayer()
{
    for (const QString &name : {QStringLiteral("paplay"), QStringLiteral("aplay")}) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

} // namespace

TDesktopAnnouncer::TDesktopAnnouncer()
    : playerProgram_(FindPlayer())
    , notifier_(QDBusConnection::sessionBus())
{
    player_.setStandardOutputFile(QProcess::nullDevice());
    player_.setStandardErrorFile(QProcess::nullDevice());
    // A player that cannot start, or that fails (no sound server, a file it cannot
    // read), says so from the event loop; the alert is heard anyway.
    QObject::connect(&player_, &QProcess::errorOccurred, &player_, [](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            QApplication::beep();
    });
    QObject::connect(&player_, &QProcess::finished, &player_, [](int exitCode, QProcess::ExitStatus status) {
        if (status == QProcess::NormalExit && exitCode != 0)
            QApplication::beep();
    });
}

TDesktopAnnouncer::~TDesktopAnnouncer() = default;

void TDesktopAnnouncer::Beep()
{
    QApplication::beep();
}

void TDesktopAnnouncer::PlaySound(const QString &file)
{
    // A file that is not there would play as silence; the alert is heard anyway.
    if (playerProgram_.isEmpty() || !QFileInfo::exists(file)) {
        Beep();
        return;
    }
    // While one sound plays the next is skipped: a burst of alerts of many symbols
    // would otherwise start a player per alert.
    if (player_.state() == QProcess::NotRunning)
        player_.start(playerProgram_, {file});
}

void TDesktopAnnouncer::ShowNotification(const QString &title, const QString &message)
{
    notifier_.Show(title, message);
}
