#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Writes a file the test reads back or hands to the program, replacing what was there.
// False when not every byte was written.
[[nodiscard]] inline bool WriteWholeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}
