#pragma once

#include "client/ui/linking/SymbolLink.h"

class TAlertAnnouncer;
class TExcludeList;
class TMainConnection;
class TPaintLag;

// What every alert window works with. The program makes each of them once and hands
// the same ones to all its windows.
struct TAlertFormServices
{
    // Brings the alerts, link gaps and staleness.
    TMainConnection &Connection;
    // QuickStrike windows drop its symbols, and their menu edits it.
    TExcludeList &Excludes;
    // Sounds and desktop notifications.
    TAlertAnnouncer &Announcer;
    // Where a clicked symbol goes: to the target of the window's link group.
    TLinkGroupSender SendSymbol;
    // Where the grids record how long each new list waited to be painted; none
    // measures nothing.
    TPaintLag *PaintLag = nullptr;
};
