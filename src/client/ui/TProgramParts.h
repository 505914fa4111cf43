#pragma once

#include "client/core/TExcludeList.h"
#include "client/core/TMainConnection.h"
#include "client/core/TSettingsStore.h"
#include "client/ui/windows/TExternalLinkingWindow.h"
#include "client/ui/windows/TMainForm.h"
#include "shared/TIniFile.h"
#include "shared/TPaintLag.h"

class TAlertAnnouncer;

// The parts a run of the program makes once, from KVX.ini in the current folder and the
// settings store, and hands to its windows: the main connection, the exclude list, the
// store, the external linking window, which every clicked symbol goes to, and the paint
// lag the grids record for the main window's readout and the stall report. How alerts
// sound is the caller's choice: the desktop's announcer, or a silent one.
class TProgramParts
{
public:
    explicit TProgramParts(TAlertAnnouncer &announcer);

    TProgramParts(const TProgramParts &) = delete;
    TProgramParts &operator=(const TProgramParts &) = delete;

    TMainFormServices MainFormServices();
    TMainConnection &Connection() { return connection_; }
    TExcludeList &Excludes() { return excludes_; }
    const TIniFile &Ini() const { return ini_; }
    const TPaintLag &PaintLag() const { return paintLag_; }

private:
    TAlertAnnouncer &announcer_;
    const TIniFile ini_;
    TMainConnection connection_;
    TExcludeList excludes_;
    TSettingsStore store_;
    TExternalLinkingWindow externalLinking_;
    TPaintLag paintLag_;
};
