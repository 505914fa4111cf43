#include "client/ui/grids/PriceColumns.h"

#include <QLocale>

void DrawSymbolWithBurst(TCellText &text, const QString &symbol, qint32 burst)
{
    const QString count = QChar(0x00D7) + QLocale().toString(burst);
    const QString gap = QStringLiteral(" ");
    QString shown = symbol;
    for (qsizetype keep = symbol.size(); keep > 0 && text.TextTooWide(shown + gap + count); --keep)
        shown = symbol.left(keep - 1) + QStringLiteral("...");
    text.DrawTextLeft(shown);
    text.DrawTextRight(count);
}
