#pragma once

#include "client/core/EntryRecords.h"
#include "shared/AlertBody.h"
#include "shared/SeededHash.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <deque>
#include <vector>

class tHashTable;

// Reading the "&"-separated field list of an alert body (ReadAlertBody finds it) and
// the conversions of field values into the entry records' texts and numbers.

// Fills the table from a field list "key=value&key=value", for callers that want the
// fields in a table of their own (alerts are read with TFieldReader below). Items are
// split before they are percent-decoded, so an escaped "&" or "=" survives as a literal
// character; an item without "=" is skipped, and a later item replaces an earlier one
// with the same key.
void ParseAlertFields(QByteArrayView fieldList, tHashTable &table);

// A decimal number with optional sign and exponent, blanks around it allowed, written
// with the regional decimal separator of the default locale and no thousands
// separators. False (and value untouched) for anything else.
bool ParseLocalReal(QByteArrayView text, double &value);
// The same with the separator given, for callers that read many numbers at once.
bool ParseReal(QByteArrayView text, QByteArrayView separator, double &value);

// The decimal separator of the default locale, as the bytes a number carries. It is
// looked up again only when the default locale is another one than at the last call,
// or after ForgetRegionalDecimalSeparator (the system's settings changed).
const QByteArray &RegionalDecimalSeparator();
void ForgetRegionalDecimalSeparator();

// A key a kind looks up in every alert: hashed once, instead of at every look-up.
class TFieldName
{
public:
    explicit TFieldName(const char *name) : name_(name), hash_(quint32(SeededHash(name_))) {}

    QByteArrayView Name() const { return name_; }
    quint32 Hash() const { return hash_; }

private:
    QByteArrayView name_;
    quint32 hash_;
};

// The fields of one alert at a time, as views into its field list: one pass splits the
// list and indexes the keys, and a value is percent-decoded and converted only when it
// is read. One reader serves alert after alert; once it has seen an alert as large as
// the next, it reads that one without allocating (escaped texts aside). An absent key
// reads as the empty text, so it converts to the fallback like a malformed value does.
class TFieldReader
{
public:
    TFieldReader() = default;
    // Reads the field list straight away, for a reader used once.
    explicit TFieldReader(QByteArrayView fieldList) { Read(fieldList); }

    // Takes the next alert's field list, which must outlive the reads from it, and the
    // regional decimal separator for its numbers.
    void Read(QByteArrayView fieldList);
    // Forgets the alert read last, so no view into its body outlives it. The room it
    // took is kept for the next one, unless it took far more than any usual alert.
    void Clear();

    QByteArray Text(QByteArrayView key) const;
    // The text without a copy: a view into the field list, or, when the value holds an
    // escape, into a buffer of the reader's own. Valid until the next Read.
    QByteArrayView TextView(QByteArrayView key) const;
    double Real(QByteArrayView key, double fallback = MissingReal()) const;
    qint32 Integer(QByteArrayView key) const;
    // The same for a kind's own keys.
    QByteArrayView TextView(const TFieldName &key) const { return Decoded(Encoded(key.Name(), key.Hash())); }
    double Real(const TFieldName &key, double fallback = MissingReal()) const
    {
        return RealOf(Encoded(key.Name(), key.Hash()), fallback);
    }
    qint32 Integer(const TFieldName &key) const { return IntegerOf(Encoded(key.Name(), key.Hash())); }

    // Every item in the order the alert carries them, keys decoded and values as they
    // stand, for lists that walk the fields once instead of looking up each key; the
    // conversions below take such a value.
    const std::vector<TAlertField> &Fields() const { return fields_; }
    QByteArrayView TextOf(QByteArrayView value) const { return Decoded(value); }
    double RealOf(QByteArrayView value, double fallback = MissingReal()) const;
    qint32 IntegerOf(QByteArrayView value) const;

private:
    struct TSlot
    {
        qint32 Field = -1; // -1: free
        quint32 Hash = 0;
    };

    // Indexes the keys at the first look-up: a list that only walks the fields pays
    // for no index.
    void Index() const;
    // The value as it stands in the list, escapes and all; empty when the key is absent.
    QByteArrayView Encoded(QByteArrayView key) const { return Encoded(key, quint32(SeededHash(key))); }
    QByteArrayView Encoded(QByteArrayView key, quint32 hash) const;
    // The decoded text, kept in the reader's own buffers when it had to be decoded.
    QByteArrayView Decoded(QByteArrayView text) const;

    std::vector<TAlertField> fields_;
    // Open addressing over fields_, sized to a power of two at least twice the field
    // count; only the first mask_ + 1 slots belong to the current alert.
    mutable std::vector<TSlot> slots_;
    mutable size_t mask_ = 0;
    mutable bool indexed_ = false;
    // Decoded texts, each its own array so that earlier views stay valid.
    mutable std::deque<QByteArray> decoded_;
    QByteArray separator_;
};
