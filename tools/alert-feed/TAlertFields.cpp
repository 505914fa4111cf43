#include "TAlertFields.h"

#include <charconv>
#include <cmath>
#include <cstring>

// Every field is written straight into the body's memory, after one check that the
// room for its longest spelling is there: a body of hundreds of fields must not pay
// for thousands of separate appends.

namespace {

// The longest spelling of a qint64, sign included.
constexpr qsizetype MostIntegerChars = 20;
// Powers of ten a scaled value can be exact in; more decimals take the slow road.
constexpr double Scales[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
constexpr qint64 IntegerScales[] = {1,      10,      100,      1000,      10000,
                                    100000, 1000000, 10000000, 100000000, 1000000000};
constexpr int MostFastDecimals = 9;
// Below this a scaled value still has every integer exact in a double.
constexpr double MostFastScaled = 1e15;
// Sign, integer digits, point and fraction of a number on the fast road.
constexpr qsizetype MostFastNumberChars = 1 + 16 + 1 + MostFastDecimals;

bool NeedsEscape(unsigned char c)
{
    return c == '&' || c == '=' || c == '%' || c < 0x20 || c > 0x7e;
}

bool IsLetterOrDigit(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char *WriteEscaped(char *out, unsigned char c, bool lowerCaseHex)
{
    const char *digits = lowerCaseHex ? "0123456789abcdef" : "0123456789ABCDEF";
    *out++ = '%';
    *out++ = digits[c >> 4];
    *out++ = digits[c & 15];
    return out;
}

// Writes text, escaping the bytes that would break the line; takes up to three bytes
// per byte of text.
char *WriteEscapedText(char *out, QByteArrayView text)
{
    for (const char c : text) {
        if (NeedsEscape(uchar(c)))
            out = WriteEscaped(out, uchar(c), false);
        else
            *out++ = c;
    }
    return out;
}

char *WriteInteger(char *out, qint64 value)
{
    return std::to_chars(out, out + MostIntegerChars, value).ptr;
}

bool FitsFastRoad(double value, int decimals)
{
    return decimals >= 0 && decimals <= MostFastDecimals && std::isfinite(value)
           && std::fabs(value) * Scales[decimals] < MostFastScaled;
}

// value rounded to decimals digits after the point; FitsFastRoad must hold.
char *WriteFixed(char *out, double value, int decimals)
{
    const qint64 scaled = qint64(std::round(value * Scales[decimals]));
    const qint64 magnitude = scaled < 0 ? -scaled : scaled;
    if (scaled < 0)
        *out++ = '-';
    out = WriteInteger(out, magnitude / IntegerScales[decimals]);
    if (decimals == 0)
        return out;
    *out++ = '.';
    // The fraction with its leading zeros: "5" of 0.05 is written "05".
    qint64 rest = magnitude % IntegerScales[decimals];
    for (int i = decimals - 1; i >= 0; --i) {
        out[i] = char('0' + rest % 10);
        rest /= 10;
    }
    return out + decimals;
}

// Large, odd or not a number at all: as rare as it is, Qt's spelling.
QByteArray SlowFixed(double value, int decimals)
{
    if (std::isfinite(value) && decimals >= 0 && std::round(value * std::pow(10.0, decimals)) == 0)
        value = 0;
    return QByteArray::number(value, 'f', decimals);
}

} // namespace

TAlertFields::TAlertFields(QByteArray &body, QByteArrayView category)
    : body_(body), lineStart_(category.size() + 2)
{
    body_.resize(0);
    body_.append(category.data(), category.size());
    body_.append("\r\n", 2);
}

char *TAlertFields::StartField(TFieldKey key, qsizetype mostValueChars)
{
    const qsizetype nameLength = qsizetype(std::strlen(key.Name));
    const qsizetype most = 1 + 3 * nameLength + MostIntegerChars + 1 + mostValueChars;
    const qsizetype size = body_.size();
    if (body_.capacity() - size < most)
        body_.reserve(std::max(2 * body_.capacity(), size + most));
    // The body's own memory, past its end: EndField sets the size to what was written.
    char *out = body_.data() + size;
    if (size > lineStart_)
        *out++ = '&';
    out = WriteEscapedText(out, QByteArrayView(key.Name, nameLength));
    if (key.Index >= 0)
        out = WriteInteger(out, key.Index);
    *out++ = '=';
    return out;
}

void TAlertFields::EndField(const char *end)
{
    body_.resize(end - body_.constData());
}

void TAlertFields::Add(TFieldKey key, QByteArrayView value)
{
    EndField(WriteEscapedText(StartField(key, 3 * value.size()), value));
}

void TAlertFields::AddEscapingPunctuation(TFieldKey key, QByteArrayView value,
                                          bool lowerCaseHex)
{
    char *out = StartField(key, 3 * value.size());
    for (const char c : value) {
        if (IsLetterOrDigit(uchar(c)))
            *out++ = c;
        else
            out = WriteEscaped(out, uchar(c), lowerCaseHex);
    }
    EndField(out);
}

void TAlertFields::AddNumber(TFieldKey key, double value, int decimals)
{
    if (!FitsFastRoad(value, decimals)) {
        const QByteArray text = SlowFixed(value, decimals);
        char *out = StartField(key, text.size());
        std::memcpy(out, text.constData(), std::size_t(text.size()));
        EndField(out + text.size());
        return;
    }
    EndField(WriteFixed(StartField(key, MostFastNumberChars), value, decimals));
}

void TAlertFields::AddInteger(TFieldKey key, qint64 value)
{
    EndField(WriteInteger(StartField(key, MostIntegerChars), value));
}
