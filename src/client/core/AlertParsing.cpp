#include "client/core/AlertParsing.h"

#include "shared/TIniFile.h"
#include "shared/UrlEncode.h"
#include "shared/tHashTable.h"

#include <QByteArrayView>
#include <QLocale>

#include <cmath>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Copies the run of digits at text[pos] to out; returns how many there were.
int TakeDigits(const QByteArray &text, int &pos, QByteArray &out)
{
    const int start = pos;
    while (pos < text.size() && IsDigit(text[pos]))
        out.append(text[pos++]);
    return pos - start;
}

void TakeSign(const QByteArray &text, int &pos, QByteArray &out)
{
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        out.append(text[pos++]);
}

} // namespace

TSplitText SplitAt(const QByteArray &separator, const QByteArray &text)
{
    const int at = text.indexOf(separator);
    if (at < 0)
        return {text, QByteArray()};
    return {text.left(at), text.mid(at + separator.size())};
}

void ParseAlertFields(const QByteArray &fieldList, tHashTable &table)
{
    // Walk the list by position: copying the rest of it after every item would make a
    // long list cost the square of its length.
    qsizetype start = 0;
    while (start < fieldList.size()) {
        qsizetype end = fieldList.indexOf('&', start);
        if (end < 0)
            end = fieldList.size();
        const QByteArrayView item(fieldList.constData() + start, end - start);
        const qsizetype equals = item.indexOf('=');
        if (equals >= 0)
            table.Put(PercentDecode(item.first(equals).toByteArray()),
                      PercentDecode(item.sliced(equals + 1).toByteArray()));
        start = end + 1;
    }
}

bool ParseLocalReal(const QByteArray &text, double &value)
{
    const QByteArray separator = QLocale().decimalPoint().toUtf8();

    int begin = 0;
    int end = text.size();
    while (begin < end && text[begin] == ' ')
        ++begin;
    while (end > begin && text[end - 1] == ' ')
        --end;
    const QByteArray number = text.mid(begin, end - begin);

    // Rewrite the number in the C locale's notation so the standard conversion can
    // read it, checking the shape on the way; only a well-formed number gets through.
    QByteArray plain;
    int pos = 0;
    TakeSign(number, pos, plain);
    int mantissaDigits = TakeDigits(number, pos, plain);
    if (!separator.isEmpty() && number.mid(pos, separator.size()) == separator) {
        pos += separator.size();
        plain.append('.');
        mantissaDigits += TakeDigits(number, pos, plain);
    }
    if (mantissaDigits == 0)
        return false;
    if (pos < number.size() && (number[pos] == 'e' || number[pos] == 'E')) {
        plain.append('e');
        ++pos;
        TakeSign(number, pos, plain);
        if (TakeDigits(number, pos, plain) == 0)
            return false;
    }
    if (pos != number.size())
        return false;

    bool ok = false;
    const double converted = plain.toDouble(&ok);
    // An exponent too large for a double is as unreadable as a malformed number.
    if (!ok || !std::isfinite(converted))
        return false;
    value = converted;
    return true;
}

QByteArray FieldText(tHashTable &fields, const QByteArray &key)
{
    return fields.Get(key);
}

double FieldReal(tHashTable &fields, const QByteArray &key, double fallback)
{
    double value = fallback;
    return ParseLocalReal(fields.Get(key), value) ? value : fallback;
}

qint32 FieldInteger(tHashTable &fields, const QByteArray &key)
{
    qint32 value = 0;
    return TIniFile::ParseInteger(fields.Get(key), value) ? value : 0;
}
