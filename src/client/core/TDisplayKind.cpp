#include "client/core/TDisplayKind.h"

#include <QString>

TDisplayKind DisplayKindFromSetting(const QString &display)
{
    if (display == QLatin1String("set"))
        return dkBollinger;
    if (display == QLatin1String("symbol"))
        return dkSymbolOnly;
    if (display == QLatin1String("pointslist"))
        return dkPointsList;
    if (display == QLatin1String("smb"))
        return dkSmbTopList;
    if (display == QLatin1String("jf-simplelist"))
        return dkJFSimpleList;
    if (display == QLatin1String("simplelist"))
        return dkSimpleList;
    return dkQuickStrike;
}
