#include "shared/AlertWindowCount.h"

#include "shared/DebugSink.h"
#include "shared/TIniFile.h"

#include <algorithm>

int ReadAlertWindowCount(const TIniFile &ini)
{
    const qint32 count = ini.ReadInteger("General", "window count", 0);
    if (count > MostAlertWindows) {
        DebugOutput(QStringLiteral("Class=EConfigurationValue, Message=\"window count\" %1 is more than %2; "
                                   "%2 alert windows are made, Location=KVX.ini, General")
                        .arg(count)
                        .arg(MostAlertWindows));
        return MostAlertWindows;
    }
    return std::max(0, count);
}
