#include "client/core/TopListColumns.h"

#include "shared/TIniFile.h"

namespace {

const QChar Quote = QLatin1Char('"');
const QChar Comma = QLatin1Char(',');
// Columns shown when the setting names none: "Symbol" to "L".
constexpr int DefaultColumnCount = 11;

bool IsBlank(QChar c)
{
    return c.unicode() <= ' ';
}

// Reads a quoted item starting at the opening quote; pos ends past the closing
// quote, or at the end when the quote is never closed.
QString ReadQuoted(const QString &text, int &pos)
{
    QString item;
    ++pos;
    while (pos < text.size()) {
        if (text[pos] == Quote) {
            if (pos + 1 < text.size() && text[pos + 1] == Quote) {
                item += Quote;
                pos += 2;
                continue;
            }
            ++pos;
            break;
        }
        item += text[pos++];
    }
    return item;
}

} // namespace

QStringList SplitCommaText(const QString &text)
{
    QStringList items;
    int pos = 0;
    int size = text.size();
    while (size > 0 && IsBlank(text[size - 1]))
        --size;
    while (pos < size && IsBlank(text[pos]))
        ++pos;
    while (pos < size) {
        if (text[pos] == Quote) {
            items.append(ReadQuoted(text, pos));
        } else {
            const int start = pos;
            while (pos < size && !IsBlank(text[pos]) && text[pos] != Comma)
                ++pos;
            items.append(text.mid(start, pos - start));
        }
        while (pos < size && IsBlank(text[pos]))
            ++pos;
        if (pos < size && text[pos] == Comma) {
            if (pos + 1 == size)
                items.append(QString());
            do
                ++pos;
            while (pos < size && IsBlank(text[pos]));
        }
    }
    return items;
}

QVector<int> ColumnMapFromSetting(const QString &text)
{
    const QStringList items = SplitCommaText(text);
    QVector<int> map;
    if (items.isEmpty()) {
        for (int id = 0; id < DefaultColumnCount; ++id)
            map.append(id);
        return map;
    }
    for (const QString &item : items) {
        if (map.size() == MostTopListColumns)
            break;
        qint32 id = 0;
        if (!TIniFile::ParseInteger(item.toUtf8(), id))
            id = 0;
        map.append(id);
    }
    return map;
}
