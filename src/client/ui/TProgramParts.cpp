#include "client/ui/TProgramParts.h"

TProgramParts::TProgramParts(TAlertAnnouncer &announcer)
    : announcer_(announcer)
    , ini_(QStringLiteral("KVX.ini"))
    , connection_(ini_)
    , externalLinking_(store_)
{
}

TMainFormServices TProgramParts::MainFormServices()
{
    const TLinkGroupSender toLinking = [this](int group, const QString &symbol) {
        externalLinking_.SendSymbol(group, symbol);
    };
    return {{connection_, excludes_, announcer_, toLinking, &paintLag_}, ini_, store_, externalLinking_};
}
