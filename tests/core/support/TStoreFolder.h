#pragma once

#include "../../shared/support/WriteWholeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

// A settings store of its own in a fresh folder, so that no test reads or writes the
// trader's real one.
class TStoreFolder
{
public:
    TStoreFolder() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path()); }
    bool IsValid() const { return dir_.isValid(); }
    QString FileName() const { return dir_.filePath(QStringLiteral("Kestrova/Corvane Alerts.conf")); }
    // Written as a user would, by hand.
    bool Write(const QByteArray &text) const
    {
        QDir().mkpath(QFileInfo(FileName()).absolutePath());
        return WriteWholeFile(FileName(), text);
    }

private:
    QTemporaryDir dir_;
};
