#pragma once

#include "TRecordingAnnouncer.h"

#include "client/core/TExcludeList.h"
#include "client/core/TMainConnection.h"
#include "client/ui/windows/TAlertFormServices.h"
#include "shared/TIniFile.h"

#include <QStringList>

// What the program hands its alert windows, made for a test: a main connection set up
// as without KVX.ini, an empty exclude list, an announcer that writes its calls down
// and a symbol sender that keeps what it was given.
struct TTestWindowServices
{
    TMainConnection Connection{TIniFile(QStringLiteral("no-such-folder/KVX.ini"))};
    TExcludeList Excludes;
    TRecordingAnnouncer Announcer;
    QStringList SentSymbols;

    TAlertFormServices Services()
    {
        return {Connection, Excludes, Announcer, [this](int, const QString &symbol) { SentSymbols << symbol; }};
    }
};
