#include "client/core/TWindowList.h"

#include "client/core/AlertParsing.h"
#include "shared/AlertBody.h"

TWindowList::TWindowList(const TSortedSymbolList &exclude)
    : exclude_(exclude)
    , kind_(MakeAlertKind(QString(), exclude))
{
}

void TWindowList::SetDisplay(const QString &display)
{
    kind_ = MakeAlertKind(display, exclude_);
}

bool TWindowList::HandleAlert(QByteArrayView body)
{
    const TAlertBody alert = ReadAlertBody(body);
    if (alert.Category != QByteArrayView(subscription_))
        return false;
    fields_.Read(alert.Fields);
    const bool changed = kind_->TakeAlert(fields_);
    fields_.Clear();
    return changed;
}

TAlertSummary TWindowList::Summarize(QByteArrayView body) const
{
    fields_.Read(ReadAlertBody(body).Fields);
    const TAlertSummary summary = kind_->Summarize(fields_);
    fields_.Clear();
    return summary;
}
