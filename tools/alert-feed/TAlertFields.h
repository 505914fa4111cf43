#pragma once

#include <QByteArray>

// Builds the field line of an alert body: "key=value" items joined by "&", each key
// and value percent-encoded wherever a byte would break the line apart.
class TAlertFields
{
public:
    // Escapes "&", "=", "%", CR, LF and every byte outside printable ASCII.
    void Add(const QByteArray &key, const QByteArray &value);
    // Escapes every byte of the value that is not a letter or digit, as a careful
    // server may: "10:05:03" travels as "10%3A05%3A03" (or "%3a" with lowerCaseHex).
    void AddEscapingPunctuation(const QByteArray &key, const QByteArray &value, bool lowerCaseHex);
    // Decimal with a "." and the given number of decimals, whatever the locale.
    void AddNumber(const QByteArray &key, double value, int decimals);
    void AddInteger(const QByteArray &key, qint64 value);

    // The whole body: the category line, CR LF, the field line.
    QByteArray Body(const QByteArray &category) const;

    static QByteArray Escape(const QByteArray &text);

private:
    void AppendKey(const QByteArray &key);

    QByteArray line_;
};

// The field key of row index of a list body: "symbol" and 3 give "symbol3".
QByteArray IndexedKey(const char *name, int index);
