#pragma once

#include <QString>

// Where an alert window's sounds and desktop notifications go. The program hands its
// windows the desktop's; tests hand their own to see the calls without a sound card
// or a tray.
class TAlertAnnouncer
{
public:
    virtual ~TAlertAnnouncer() = default;

    virtual void Beep() = 0;
    // Starts playing the file and returns at once.
    virtual void PlaySound(const QString &file) = 0;
    virtual void ShowNotification(const QString &title, const QString &message) = 0;
};

// For windows that must stay quiet: tools that measure and programs under test.
class TSilentAnnouncer : public TAlertAnnouncer
{
public:
    void Beep() override {}
    void PlaySound(const QString &) override {}
    void ShowNotification(const QString &, const QString &) override {}
};
