#pragma once

#include <QString>

// Where an alert window's sounds and desktop notifications go. The program puts the
// desktop's in place for its run; tests put their own in to see the calls without a
// sound card or a tray.
class TAlertAnnouncer
{
public:
    virtual ~TAlertAnnouncer() = default;

    virtual void Beep() = 0;
    // Starts playing the file and returns at once.
    virtual void PlaySound(const QString &file) = 0;
    virtual void ShowNotification(const QString &title, const QString &message) = 0;
};

// The announcer in place; one that stays silent while none is.
TAlertAnnouncer &AlertAnnouncer();
// Puts announcer in place (nullptr for none); the caller keeps it alive while it is.
void SetAlertAnnouncer(TAlertAnnouncer *announcer);
