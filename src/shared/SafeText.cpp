#include "shared/SafeText.h"


namespace {

// The code point starting at index i, which moves past it (both halves of a pair).
char32_t NextCodePoint(const QString &text, qsizetype &i)
{
    const QChar c = text[i++];
    if (c.isHighSurrogate() && i < text.size() && text[i].isLowSurrogate())
        return QChar::surrogateToUcs4(c, text[i++]);
    return c.unicode();
}

} // namespace

bool IsDeceptiveCharacter(char32_t c)
{
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
        return true;
    switch (c) {
    case 0x00AD: // soft hyphen
    case 0x061C: // Arabic letter mark
    case 0x180E: // Mongolian vowel separator
    case 0x2028: // line separator
    case 0x2029: // paragraph separator
    case 0xFEFF: // zero-width no-break space
        return true;
    default:
        break;
    }
    return (c >= 0x200B && c <= 0x200F)    // zero-width spaces and joiners, LRM, RLM
        || (c >= 0x202A && c <= 0x202E)    // embeddings and overrides
        || (c >= 0x2060 && c <= 0x206F)    // word joiner, invisible operators, isolates
        || (c >= 0xFFF9 && c <= 0xFFFB)    // interlinear annotation controls
        || (c >= 0xE0000 && c <= 0xE007F); // tag characters
}

bool HasDeceptiveCharacters(const QString &text)
{
    for (qsizetype i = 0; i < text.size();)
        if (IsDeceptiveCharacter(NextCodePoint(text, i)))
            return true;
    return false;
}

QString VisibleText(const QString &text)
{
    if (!HasDeceptiveCharacters(text))
        return text;
    QString visible;
    visible.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        char32_t c = NextCodePoint(text, i);
        if (IsDeceptiveCharacter(c))
            c = 0xFFFD;
        visible.append(QString::fromUcs4(&c, 1));
    }
    return visible;
}

QString MenuItemText(const QString &text)
{
    return VisibleText(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QByteArray TerminalSafe(const QByteArray &bytes)
{
    QByteArray safe;
    safe.reserve(bytes.size());
    const auto escape = [&safe](uchar c) {
        safe.append("\\x").append(QByteArray::number(c, 16).rightJustified(2, '0'));
    };
    for (int i = 0; i < bytes.size(); ++i) {
        const uchar c = uchar(bytes[i]);
        if (c < 0x80) {
            if ((c < 0x20 && c != '\t') || c == 0x7F)
                escape(c);
            else
                safe.append(char(c));
            continue;
        }
        // A whole UTF-8 sequence passes, but for the C1 controls (U+0080..U+009F),
        // which some terminals obey; its continuation bytes are never split off.
        const int length = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
        bool whole = length > 0 && i + length <= bytes.size();
        for (int k = 1; whole && k < length; ++k)
            whole = (uchar(bytes[i + k]) & 0xC0) == 0x80;
        if (whole && c == 0xC2 && uchar(bytes[i + 1]) <= 0x9F) {
            escape(uchar(bytes[++i]));
        } else if (whole) {
            safe.append(bytes.constData() + i, length);
            i += length - 1;
        } else if (c <= 0x9F) {
            // A lone byte in the C1 range is a control to an 8-bit terminal.
            escape(c);
        } else {
            safe.append(char(c));
        }
    }
    return safe;
}
