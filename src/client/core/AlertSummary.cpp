#include "client/core/AlertSummary.h"

#include "client/core/AlertParsing.h"
#include "shared/DisplayText.h"
#include "shared/tHashTable.h"

#include <QLocale>
#include <QStringList>

#include <cmath>

namespace {

const QByteArray LineBreak("\r\n");

// The plain key, or the top row's key of an indexed list.
QByteArray TextOf(tHashTable &fields, const QByteArray &key)
{
    const QByteArray plain = FieldText(fields, key);
    return plain.isEmpty() ? FieldText(fields, key + '0') : plain;
}

double RealOf(tHashTable &fields, const QByteArray &key)
{
    const double plain = FieldReal(fields, key);
    return std::isnan(plain) ? FieldReal(fields, key + '0') : plain;
}

} // namespace

TAlertSummary SummarizeAlert(const QByteArray &body)
{
    tHashTable fields;
    ParseAlertFields(SplitViewAt(LineBreak, SplitViewAt(LineBreak, body).Rest).Head, fields);

    TAlertSummary summary;
    summary.Symbol = TextOf(fields, "symbol");
    const QByteArray action = FieldText(fields, "action");
    summary.NoNews = !action.isEmpty() && action != "add";

    const QLocale locale;
    const double last = RealOf(fields, "last");
    double change = RealOf(fields, "change");
    // QuickStrike alerts carry the previous close rather than the change.
    if (std::isnan(change))
        change = last - FieldReal(fields, "prev_close");
    QStringList parts;
    if (!std::isnan(last))
        parts << QStringLiteral("Last ") + locale.toString(last, 'f', 2);
    if (!std::isnan(change))
        parts << QStringLiteral("Change ") + (change > 0 ? QStringLiteral("+") : QString())
                     + locale.toString(change, 'f', 2);
    const QByteArray time = FieldText(fields, "time");
    if (!time.isEmpty())
        parts << DisplayText(time);
    summary.Figures = parts.join(QStringLiteral("  "));
    return summary;
}
