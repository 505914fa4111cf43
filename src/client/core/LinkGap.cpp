#include "client/core/LinkGap.h"

#include <QLocale>

QString LinkGapText(const TLinkGap &gap)
{
    const QLocale locale;
    const auto time = [&locale](TDateTime when) {
        return locale.toString(QDateTimeFromDateTime(when).time(), QLocale::LongFormat);
    };
    return QStringLiteral("link lost %1 \u2013 %2, alerts may be missing").arg(time(gap.Lost), time(gap.Back));
}
