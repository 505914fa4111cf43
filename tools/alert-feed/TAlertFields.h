#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The key of a field: a name, and for the rows of a list body the row's index after it
// ("symbol" and 3 give "symbol3"). Kept as the two parts, so a body of hundreds of
// fields builds no key strings of its own.
struct TFieldKey
{
    TFieldKey(const char *name, int index = -1) : Name(name), Index(index) {}

    const char *Name;
    int Index;
};

// The field key of row index of a list body.
inline TFieldKey IndexedKey(const char *name, int index)
{
    return TFieldKey(name, index);
}

// Builds an alert body: the category line, CR LF, and the field line of "key=value"
// items joined by "&", each key and value percent-encoded wherever a byte would break
// the line apart. Everything is written into the buffer it is given, which the feed
// reuses from body to body.
class TAlertFields
{
public:
    // Empties body (keeping its memory) and starts it with the category line.
    TAlertFields(QByteArray &body, QByteArrayView category);

    // Escapes "&", "=", "%", CR, LF and every byte outside printable ASCII.
    void Add(TFieldKey key, QByteArrayView value);
    // Escapes every byte of the value that is not a letter or digit, as a careful
    // server may: "10:05:03" travels as "10%3A05%3A03" (or "%3a" with lowerCaseHex).
    void AddEscapingPunctuation(TFieldKey key, QByteArrayView value, bool lowerCaseHex);
    // Decimal with a "." and the given number of decimals, whatever the locale; a value
    // that rounds to zero is written without a minus sign.
    void AddNumber(TFieldKey key, double value, int decimals);
    void AddInteger(TFieldKey key, qint64 value);

private:
    // Makes room for the field, writes "&" (but before the first field), the key and
    // "=", and returns where the value goes; EndField takes the end of the value.
    char *StartField(TFieldKey key, qsizetype mostValueChars);
    void EndField(const char *end);

    QByteArray &body_;
    // Where the field line starts: no "&" before its first item.
    const qsizetype lineStart_;
};
