#pragma once

#include "client/core/EntryRecords.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class tHashTable;

// Reading the "&"-separated field list of an alert body (ReadAlertBody finds it) and
// the conversions of field values into the entry records' texts and numbers.

// Fills the table from a field list "key=value&key=value". Items are split before they
// are percent-decoded, so an escaped "&" or "=" survives as a literal character; an item
// without "=" is skipped, and a later item replaces an earlier one with the same key.
void ParseAlertFields(QByteArrayView fieldList, tHashTable &table);

// A decimal number with optional sign and exponent, blanks around it allowed, written
// with the regional decimal separator of the default locale and no thousands
// separators. False (and value untouched) for anything else.
bool ParseLocalReal(const QByteArray &text, double &value);
// The same with the separator given, for callers that read many numbers at once.
bool ParseReal(const QByteArray &text, const QByteArray &separator, double &value);

// The decimal separator of the default locale, as the bytes a number carries. It is
// looked up again only when the default locale is another one than at the last call,
// or after ForgetRegionalDecimalSeparator (the system's settings changed).
const QByteArray &RegionalDecimalSeparator();
void ForgetRegionalDecimalSeparator();

// Field reads: an absent key reads as the empty text, so it converts to the fallback
// like any malformed value does. Texts keep the bytes as decoded from the field list.
class TFieldReader
{
public:
    // Takes the regional decimal separator once, for all the numbers read through it.
    explicit TFieldReader(tHashTable &fields);

    QByteArray Text(QByteArrayView key) const;
    double Real(QByteArrayView key, double fallback = MissingReal()) const;
    qint32 Integer(QByteArrayView key) const;

private:
    QByteArray Get(QByteArrayView key) const;

    tHashTable &fields_;
    QByteArray separator_;
};

// Single reads, each looking at the default locale for the separator.
QByteArray FieldText(tHashTable &fields, const QByteArray &key);
double FieldReal(tHashTable &fields, const QByteArray &key, double fallback = MissingReal());
qint32 FieldInteger(tHashTable &fields, const QByteArray &key);
