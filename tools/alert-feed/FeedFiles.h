#pragma once

#include <QByteArray>
#include <QString>

// The whole of a file the feed was told to read, or an empty array and, in error, why
// not: "cannot read <what> <file name>: <reason>" (without the what when it is empty).
QByteArray ReadFeedFile(const QString &what, const QString &fileName, QString &error);
