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

// Items of a field list: one more than its "&" separators.
int ItemCount(QByteArrayView fieldList)
{
    return int(fieldList.count('&')) + 1;
}

// Most field texts carry no escape: those are copied once, straight from the list.
QByteArray DecodedText(QByteArrayView text)
{
    return text.contains('%') ? PercentDecode(text.toByteArray()) : text.toByteArray();
}

struct TSeparatorCache
{
    bool Known = false;
    QLocale Locale;
    QByteArray Separator;
};

TSeparatorCache &SeparatorCache()
{
    thread_local TSeparatorCache cache;
    return cache;
}

} // namespace

namespace {

// A decimal of at most this many digits is an exact integer over an exact power of ten.
constexpr int ShortDecimalDigits = 15;

// Reads a well-formed number without exponent (sign, digits, any separator, digits) of
// at most fifteen digits. Its digits make an integer a double holds exactly, and one
// division by an exact power of ten rounds once: the very double the standard
// conversion gives, without its cost. False for longer numbers.
bool ReadShortDecimal(QByteArrayView number, double &value)
{
    static constexpr double PowersOfTen[ShortDecimalDigits + 1] = {
        1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    qint64 digits = 0;
    int digitCount = 0;
    int fractionDigits = 0;
    bool negative = false;
    bool pastSeparator = false;
    for (const char c : number) {
        if (IsDigit(c)) {
            if (++digitCount > ShortDecimalDigits)
                return false;
            digits = digits * 10 + (c - '0');
            fractionDigits += pastSeparator;
        } else if (c == '-' || c == '+') {
            negative = c == '-';
        } else {
            // The shape is already checked: anything else belongs to the separator.
            pastSeparator = true;
        }
    }
    const double magnitude = double(digits) / PowersOfTen[fractionDigits];
    value = negative ? -magnitude : magnitude;
    return true;
}

} // namespace

void ParseAlertFields(QByteArrayView fieldList, tHashTable &table)
{
    // A table without buckets gets enough for every item at once, instead of growing
    // again and again on the way.
    if (table.BucketCount() == 0 && !fieldList.isEmpty())
        table.Resize(ItemCount(fieldList) * 4 / 3 + 1);

    // Walk the list by position: copying the rest of it after every item would make a
    // long list cost the square of its length.
    qsizetype start = 0;
    while (start < fieldList.size()) {
        qsizetype end = fieldList.indexOf('&', start);
        if (end < 0)
            end = fieldList.size();
        const QByteArrayView item(fieldList.data() + start, end - start);
        const qsizetype equals = item.indexOf('=');
        if (equals >= 0)
            table.Put(DecodedText(item.first(equals)), DecodedText(item.sliced(equals + 1)));
        start = end + 1;
    }
}

const QByteArray &RegionalDecimalSeparator()
{
    TSeparatorCache &cache = SeparatorCache();
    const QLocale current;
    if (!cache.Known || current != cache.Locale) {
        cache.Locale = current;
        cache.Separator = current.decimalPoint().toUtf8();
        cache.Known = true;
    }
    return cache.Separator;
}

void ForgetRegionalDecimalSeparator()
{
    SeparatorCache().Known = false;
}

bool ParseLocalReal(const QByteArray &text, double &value)
{
    return ParseReal(text, RegionalDecimalSeparator(), value);
}

bool ParseReal(const QByteArray &text, const QByteArray &separator, double &value)
{
    const char *const data = text.constData();
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && data[begin] == ' ')
        ++begin;
    while (end > begin && data[end - 1] == ' ')
        --end;

    // Check the shape in place; only a well-formed number gets through.
    qsizetype pos = begin;
    const auto skipSign = [&] {
        if (pos < end && (data[pos] == '+' || data[pos] == '-'))
            ++pos;
    };
    const auto skipDigits = [&] {
        const qsizetype first = pos;
        while (pos < end && IsDigit(data[pos]))
            ++pos;
        return pos - first;
    };
    skipSign();
    qsizetype mantissaDigits = skipDigits();
    qsizetype separatorAt = -1;
    if (!separator.isEmpty() && QByteArrayView(data + pos, end - pos).startsWith(separator)) {
        separatorAt = pos;
        pos += separator.size();
        mantissaDigits += skipDigits();
    }
    if (mantissaDigits == 0)
        return false;
    const bool hasExponent = pos < end && (data[pos] == 'e' || data[pos] == 'E');
    if (hasExponent) {
        ++pos;
        skipSign();
        if (skipDigits() == 0)
            return false;
    }
    if (pos != end)
        return false;

    if (!hasExponent && ReadShortDecimal(QByteArrayView(data + begin, end - begin), value))
        return true;

    // The standard conversion reads the C locale's notation, which differs only in the
    // separator; a number in that notation already is read where it stands.
    const QByteArrayView number(data + begin, end - begin);
    bool ok = false;
    double converted = 0;
    if (separatorAt < 0 || separator == ".") {
        converted = number.toDouble(&ok);
    } else {
        QByteArray plain(data + begin, separatorAt - begin);
        plain += '.';
        plain += QByteArrayView(data + separatorAt + separator.size(), end - separatorAt - separator.size());
        converted = plain.toDouble(&ok);
    }
    // An exponent too large for a double is as unreadable as a malformed number.
    if (!ok || !std::isfinite(converted))
        return false;
    value = converted;
    return true;
}

TFieldReader::TFieldReader(tHashTable &fields)
    : fields_(fields), separator_(RegionalDecimalSeparator())
{
}

QByteArray TFieldReader::Get(QByteArrayView key) const
{
    // The key is only looked up, so it need not be copied.
    return fields_.Get(QByteArray::fromRawData(key.data(), key.size()));
}

QByteArray TFieldReader::Text(QByteArrayView key) const
{
    return Get(key);
}

double TFieldReader::Real(QByteArrayView key, double fallback) const
{
    double value = fallback;
    return ParseReal(Get(key), separator_, value) ? value : fallback;
}

qint32 TFieldReader::Integer(QByteArrayView key) const
{
    qint32 value = 0;
    return TIniFile::ParseInteger(Get(key), value) ? value : 0;
}

QByteArray FieldText(tHashTable &fields, const QByteArray &key)
{
    return TFieldReader(fields).Text(key);
}

double FieldReal(tHashTable &fields, const QByteArray &key, double fallback)
{
    return TFieldReader(fields).Real(key, fallback);
}

qint32 FieldInteger(tHashTable &fields, const QByteArray &key)
{
    return TFieldReader(fields).Integer(key);
}
