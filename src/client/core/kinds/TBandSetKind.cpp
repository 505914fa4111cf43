#include "client/core/kinds/TBandSetKind.h"

#include "client/core/AlertParsing.h"

bool TBandSetKind::TakeAlert(const TFieldReader &fields)
{
    const QByteArrayView action = fields.TextView("action");
    if (action == "add") {
        TBollingerEntry entry;
        // Borrowed for the look-up: a listed symbol's row keeps the bytes it has.
        const QByteArrayView symbol = fields.TextView("symbol");
        entry.Symbol = QByteArray::fromRawData(symbol.data(), symbol.size());
        entry.Time = SteadyTickMs();
        entry.Last = fields.Real("last");
        entry.PrevClose = fields.Real("prev_close");
        entry.DistFromBB = fields.Real("dist_from_bb");
        bandSet_.Add(std::move(entry));
    } else if (action == "delete") {
        return bandSet_.Remove(fields.TextView("symbol"));
    }
    return true;
}

TAlertSummary TBandSetKind::Summarize(const TFieldReader &fields) const
{
    TAlertSummary summary = SummarizeRow(fields);
    const QByteArrayView action = fields.TextView("action");
    summary.NoNews = !action.isEmpty() && action != "add";
    return summary;
}
