#include "client/core/AlertParsing.h"

#include "shared/TIniFile.h"
#include "shared/SeededHash.h"
#include "shared/UrlEncode.h"
#include "shared/tHashTable.h"

#include <QByteArrayView>
#include <QLocale>

#include <algorithm>

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
    return HasEscape(text) ? PercentDecode(text.toByteArray()) : text.toByteArray();
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
    TAlertFieldWalker walker(fieldList);
    TAlertField field;
    while (walker.Next(field))
        table.Put(DecodedText(field.Key), DecodedText(field.Value));
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

bool ParseLocalReal(QByteArrayView text, double &value)
{
    return ParseReal(text, RegionalDecimalSeparator(), value);
}

bool ParseReal(QByteArrayView text, QByteArrayView separator, double &value)
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

void TFieldReader::Clear()
{
    // Well above a full top list's fields: room this large came from a giant body, and
    // keeping it would hold that body's index for the rest of the day.
    constexpr size_t KeptFieldRoom = 16 * 1024;
    if (fields_.capacity() > KeptFieldRoom) {
        std::vector<TAlertField>().swap(fields_);
        std::vector<TSlot>().swap(slots_);
    }
    fields_.clear();
    decoded_.clear();
}

void TFieldReader::Read(QByteArrayView fieldList)
{
    Clear();
    // Shared with the cache, and taken again only when the cache holds another one.
    const QByteArray &separator = RegionalDecimalSeparator();
    if (separator_.constData() != separator.constData())
        separator_ = separator;
    TAlertFieldWalker walker(fieldList);
    TAlertField field;
    while (walker.Next(field)) {
        // Keys are matched as decoded, so an escaped key is decoded once, here.
        field.Key = Decoded(field.Key);
        fields_.push_back(field);
    }
    indexed_ = false;
}

void TFieldReader::Index() const
{
    size_t slotCount = 16;
    while (slotCount < 2 * fields_.size())
        slotCount *= 2;
    if (slots_.size() < slotCount)
        slots_.resize(slotCount);
    mask_ = slotCount - 1;
    std::fill_n(slots_.begin(), slotCount, TSlot());

    for (qint32 i = 0; i < qint32(fields_.size()); ++i) {
        const TAlertField &item = fields_[size_t(i)];
        const quint32 hash = quint32(SeededHash(item.Key));
        size_t at = hash & mask_;
        while (slots_[at].Field >= 0
               && (slots_[at].Hash != hash || fields_[size_t(slots_[at].Field)].Key != item.Key))
            at = (at + 1) & mask_;
        // A later item with the same key takes the slot of the earlier one.
        slots_[at] = {i, hash};
    }
    indexed_ = true;
}

QByteArrayView TFieldReader::Encoded(QByteArrayView key, quint32 hash) const
{
    if (fields_.empty())
        return {};
    if (!indexed_)
        Index();
    for (size_t at = hash & mask_; slots_[at].Field >= 0; at = (at + 1) & mask_) {
        const TAlertField &field = fields_[size_t(slots_[at].Field)];
        if (slots_[at].Hash == hash && field.Key == key)
            return field.Value;
    }
    return {};
}

QByteArrayView TFieldReader::Decoded(QByteArrayView text) const
{
    if (!HasEscape(text))
        return text;
    QByteArray &decoded = decoded_.emplace_back();
    AppendPercentDecoded(text, decoded);
    return decoded;
}

QByteArray TFieldReader::Text(QByteArrayView key) const
{
    const QByteArrayView value = Encoded(key);
    return HasEscape(value) ? PercentDecode(value.toByteArray()) : value.toByteArray();
}

QByteArrayView TFieldReader::TextView(QByteArrayView key) const
{
    return Decoded(Encoded(key));
}

double TFieldReader::Real(QByteArrayView key, double fallback) const
{
    return RealOf(Encoded(key), fallback);
}

qint32 TFieldReader::Integer(QByteArrayView key) const
{
    return IntegerOf(Encoded(key));
}

double TFieldReader::RealOf(QByteArrayView value, double fallback) const
{
    double number = fallback;
    const bool read = HasEscape(value) ? ParseReal(PercentDecode(value.toByteArray()), separator_, number)
                                          : ParseReal(value, separator_, number);
    return read ? number : fallback;
}

qint32 TFieldReader::IntegerOf(QByteArrayView value) const
{
    qint32 number = 0;
    const bool read = HasEscape(value) ? TIniFile::ParseInteger(PercentDecode(value.toByteArray()), number)
                                          : TIniFile::ParseInteger(value, number);
    return read ? number : 0;
}
