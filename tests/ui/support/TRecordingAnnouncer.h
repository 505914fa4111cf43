#pragma once

#include "client/ui/TAlertAnnouncer.h"

#include <QStringList>

// Puts itself in place of the program's announcer while it lives and writes down
// every call: "beep", "play FILE", "notify TITLE | MESSAGE".
class TRecordingAnnouncer : public TAlertAnnouncer
{
public:
    QStringList Calls;

    TRecordingAnnouncer() { SetAlertAnnouncer(this); }
    ~TRecordingAnnouncer() override { SetAlertAnnouncer(nullptr); }

    void Beep() override { Calls << QStringLiteral("beep"); }
    void PlaySound(const QString &file) override { Calls << QStringLiteral("play ") + file; }
    void ShowNotification(const QString &title, const QString &message) override
    {
        Calls << QStringLiteral("notify ") + title + QStringLiteral(" | ") + message;
    }
};
