#include "FeedFiles.h"

#include <QFile>

QByteArray ReadFeedFile(const QString &what, const QString &fileName, QString &error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        const QString named = what.isEmpty() ? fileName : what + u' ' + fileName;
        error = QStringLiteral("cannot read %1: %2").arg(named, file.errorString());
        return QByteArray();
    }
    return file.readAll();
}
