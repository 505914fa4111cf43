#include "client/core/TWindowList.h"

#include "client/core/AlertParsing.h"
#include "shared/AlertBody.h"
#include "shared/tHashTable.h"

TWindowList::TWindowList(const TSortedSymbolList &exclude)
    : exclude_(exclude)
    , kind_(MakeAlertKind(QString(), exclude))
{
}

void TWindowList::SetDisplay(const QString &display)
{
    kind_ = MakeAlertKind(display, exclude_);
}

bool TWindowList::HandleAlert(const QByteArray &body)
{
    const TAlertBody alert = ReadAlertBody(body);
    if (alert.Category != QByteArrayView(subscription_))
        return false;
    tHashTable table;
    ParseAlertFields(alert.Fields, table);
    return kind_->TakeAlert(TFieldReader(table));
}

TAlertSummary TWindowList::Summarize(const QByteArray &body) const
{
    tHashTable table;
    ParseAlertFields(ReadAlertBody(body).Fields, table);
    return kind_->Summarize(TFieldReader(table));
}
