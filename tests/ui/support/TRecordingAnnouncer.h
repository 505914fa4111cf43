#pragma once

#include "client/ui/desktop/TAlertAnnouncer.h"

#include <QStringList>

// Writes down every call: "beep", "play FILE", "notify TITLE | MESSAGE".
class TRecordingAnnouncer : public TAlertAnnouncer
{
public:
    QStringList Calls;

    void Beep() override { Calls << QStringLiteral("beep"); }
    void PlaySound(const QString &file) override { Calls << QStringLiteral("play ") + file; }
    void ShowNotification(const QString &title, const QString &message) override
    {
        Calls << QStringLiteral("notify ") + title + QStringLiteral(" | ") + message;
    }
};
