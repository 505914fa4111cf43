#include "client/core/kinds/TBandSetKind.h"

#include "client/core/AlertParsing.h"

namespace {

const TFieldName ActionKey("action");
const TFieldName SymbolKey("symbol");
const TFieldName LastKey("last");
const TFieldName PrevCloseKey("prev_close");
const TFieldName DistanceKey("dist_from_bb");

} // namespace

bool TBandSetKind::TakeAlert(const TFieldReader &fields)
{
    const QByteArrayView action = fields.TextView(ActionKey);
    if (action == "add") {
        TBollingerEntry entry;
        // Borrowed for the look-up: a listed symbol's row keeps the bytes it has.
        const QByteArrayView symbol = fields.TextView(SymbolKey);
        entry.Symbol = QByteArray::fromRawData(symbol.data(), symbol.size());
        entry.Time = SteadyTickMs();
        entry.Last = fields.Real(LastKey);
        entry.PrevClose = fields.Real(PrevCloseKey);
        entry.DistFromBB = fields.Real(DistanceKey);
        bandSet_.Add(std::move(entry));
    } else if (action == "delete") {
        return bandSet_.Remove(fields.TextView(SymbolKey));
    }
    return true;
}

TAlertSummary TBandSetKind::Summarize(const TFieldReader &fields) const
{
    TAlertSummary summary = SummarizeRow(fields);
    const QByteArrayView action = fields.TextView(ActionKey);
    summary.NoNews = !action.isEmpty() && action != "add";
    return summary;
}
