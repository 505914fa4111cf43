#include "client/ui/windows/PaintLagReadout.h"

#include "shared/TPaintLag.h"

#include <QLocale>

QString WithPaintLag(const QString &linkReadout, const TPaintLag *lag)
{
    const std::optional<qint64> worst = lag ? lag->WorstOfLastMinute() : std::nullopt;
    if (!worst)
        return linkReadout;
    return linkReadout + QStringLiteral(", paint lag %1 ms").arg(QLocale().toString(*worst));
}
