#include "shared/TMessageToServer.h"

#include "shared/DisplayText.h"
#include "shared/Exception.h"

#include <QLocale>

#include <algorithm>

void TMessageToServer::Add(const QByteArray &key, const QByteArray &value)
{
    fields_.append(TMessageField{key, value});
}

bool TMessageToServer::IsEmpty() const
{
    return std::all_of(fields_.cbegin(), fields_.cend(),
                       [](const TMessageField &field) { return field.Key.isEmpty(); });
}

QByteArray TMessageToServer::Value(const QByteArray &key) const
{
    for (const TMessageField &field : fields_) {
        if (field.Key == key)
            return field.Value;
    }
    return QByteArray();
}

QByteArray IntegerToText(qint64 value)
{
    return QByteArray::number(value);
}

QByteArray FloatToText(double value)
{
    // Formatted without the locale so no group separators slip in; only the
    // decimal separator is the user's.
    QByteArray text = QByteArray::number(value, 'g', 15);
    const qsizetype point = text.indexOf('.');
    if (point >= 0)
        text.replace(point, 1, QLocale().decimalPoint().toUtf8());
    return text;
}

QByteArray VariantToText(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QByteArray)
        return value.toByteArray();
    return value.toString().toUtf8();
}

TMessageToServer MakeMessage(const QVector<QByteArray> &items)
{
    AZ_ASSERT(items.size() % 2 == 0);
    TMessageToServer message;
    for (qsizetype i = 0; i < items.size(); i += 2)
        message.Add(items.at(i), items.at(i + 1));
    return message;
}

bool IsSecretKey(const QByteArray &key)
{
    static const QByteArrayList secretWords{"password", "passwd", "secret", "token"};
    const QByteArray lower = key.toLower();
    return std::any_of(secretWords.begin(), secretWords.end(),
                       [&lower](const QByteArray &word) { return lower.contains(word); });
}

QString MessageToDebugText(const TMessageToServer &message)
{
    QStringList pairs;
    for (const TMessageField &field : message.Fields()) {
        // Reports end up on screen and in terminals: a secret never does.
        const QString value = IsSecretKey(field.Key) ? QStringLiteral("***") : DisplayText(field.Value);
        pairs.append(QLatin1Char('"') + DisplayText(field.Key) + QLatin1String("\" --> \"")
                     + value + QLatin1Char('"'));
    }
    return QLatin1Char('(') + pairs.join(QLatin1String(", ")) + QLatin1Char(')');
}
