#include "TAlertFields.h"

#include <QStringBuilder>

#include <cmath>

namespace {

bool NeedsEscape(unsigned char c)
{
    return c == '&' || c == '=' || c == '%' || c < 0x20 || c > 0x7e;
}

bool IsLetterOrDigit(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

void AppendEscaped(QByteArray &out, unsigned char c, bool lowerCaseHex)
{
    const char *digits = lowerCaseHex ? "0123456789abcdef" : "0123456789ABCDEF";
    out.append('%');
    out.append(digits[c >> 4]);
    out.append(digits[c & 15]);
}

} // namespace

QByteArray TAlertFields::Escape(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const char c : text) {
        if (NeedsEscape(uchar(c)))
            AppendEscaped(out, uchar(c), false);
        else
            out.append(c);
    }
    return out;
}

void TAlertFields::AppendKey(const QByteArray &key)
{
    if (!line_.isEmpty())
        line_.append('&');
    line_.append(Escape(key));
    line_.append('=');
}

void TAlertFields::Add(const QByteArray &key, const QByteArray &value)
{
    AppendKey(key);
    line_.append(Escape(value));
}

void TAlertFields::AddEscapingPunctuation(const QByteArray &key, const QByteArray &value,
                                          bool lowerCaseHex)
{
    AppendKey(key);
    for (const char c : value) {
        if (IsLetterOrDigit(uchar(c)))
            line_.append(c);
        else
            AppendEscaped(line_, uchar(c), lowerCaseHex);
    }
}

void TAlertFields::AddNumber(const QByteArray &key, double value, int decimals)
{
    AppendKey(key);
    // A small negative value would round to "-0.00", which reads oddly in a grid.
    if (std::round(value * std::pow(10.0, decimals)) == 0)
        value = 0;
    line_.append(QByteArray::number(value, 'f', decimals));
}

void TAlertFields::AddInteger(const QByteArray &key, qint64 value)
{
    AppendKey(key);
    line_.append(QByteArray::number(value));
}

QByteArray TAlertFields::Body(const QByteArray &category) const
{
    return category + "\r\n" + line_;
}

QByteArray IndexedKey(const char *name, int index)
{
    return name + QByteArray::number(index);
}
