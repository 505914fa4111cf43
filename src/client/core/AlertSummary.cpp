#include "client/core/AlertSummary.h"

#include "client/core/AlertParsing.h"
#include "shared/DisplayText.h"

#include <QLocale>
#include <QStringList>

#include <cmath>

TAlertSummary SummarizeRow(const TFieldReader &fields, const QByteArray &rowSuffix)
{
    const auto key = [&rowSuffix](const char *name) { return QByteArray(QByteArray(name) + rowSuffix); };
    TAlertSummary summary;
    summary.Symbol = fields.Text(key("symbol"));

    const QLocale locale;
    const double last = fields.Real(key("last"));
    double change = fields.Real(key("change"));
    // QuickStrike alerts carry the previous close rather than the change.
    if (std::isnan(change))
        change = last - fields.Real("prev_close");
    QStringList parts;
    if (!std::isnan(last))
        parts << QStringLiteral("Last ") + locale.toString(last, 'f', 2);
    if (!std::isnan(change))
        parts << QStringLiteral("Change ") + (change > 0 ? QStringLiteral("+") : QString())
                     + locale.toString(change, 'f', 2);
    const QByteArray time = fields.Text("time");
    if (!time.isEmpty())
        parts << DisplayText(time);
    summary.Figures = parts.join(QStringLiteral("  "));
    return summary;
}
