#pragma once

#include "client/ui/desktop/TAlertAnnouncer.h"
#include "client/ui/desktop/TDesktopNotifier.h"

#include <QProcess>
#include <QString>

// Sounds through the desktop's sound player and notifications through the desktop's
// notification service or its system tray. Qt has no sound output of its own here,
// so a file is handed to paplay (or aplay) as a separate process; without either,
// when the file is missing or the player fails, the alert beeps instead. A tray icon
// appears only when a notification needs it. It must go before the application
// object does.
class TDesktopAnnouncer : public TAlertAnnouncer
{
public:
    TDesktopAnnouncer();
    ~TDesktopAnnouncer() override;

    void Beep() override;
    void PlaySound(const QString &file) override;
    void ShowNotification(const QString &title, const QString &message) override;

private:
    QString playerProgram_;
    QProcess player_;
    TDesktopNotifier notifier_;
};
