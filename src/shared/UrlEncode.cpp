#include "shared/UrlEncode.h"

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray PercentDecode(const QByteArray &text)
{
    // Most field texts carry no escape at all; hand those back without copying.
    if (!text.contains('%'))
        return text;
    QByteArray out;
    out.reserve(text.size());
    AppendPercentDecoded(text, out);
    return out;
}

void AppendPercentDecoded(QByteArrayView text, QByteArray &out)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < n) {
            const int high = HexDigitValue(text[i + 1]);
            const int low = HexDigitValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out.append(char(high * 16 + low));
                i += 2;
                continue;
            }
        }
        out.append(c);
    }
}
