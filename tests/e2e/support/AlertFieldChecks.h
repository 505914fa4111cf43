#pragma once

#include <QByteArray>
#include <QRegularExpression>
#include <QString>

// "HH:MM:SS", or "HH:MM" when withSeconds is false.
inline bool IsTime(const QString &text, bool withSeconds = true)
{
    static const QRegularExpression hoursMinutes(QStringLiteral("^([01]\\d|2[0-3]):[0-5]\\d$"));
    static const QRegularExpression withSecondsToo(QStringLiteral("^([01]\\d|2[0-3]):[0-5]\\d:[0-5]\\d$"));
    return (withSeconds ? withSecondsToo : hoursMinutes).match(text).hasMatch();
}

inline bool IsTime(const QByteArray &text, bool withSeconds = true)
{
    return IsTime(QString::fromLatin1(text), withSeconds);
}

// A key of an indexed list body: "symbol" and 3 make "symbol3".
inline QByteArray Indexed(const char *name, int index)
{
    return name + QByteArray::number(index);
}
