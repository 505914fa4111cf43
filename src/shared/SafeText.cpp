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
    for (int i = 0; i < bytes.size(); ++i) {
        const uchar c = uchar(bytes[i]);
        // C1 controls arrive in UTF-8 as 0xC2 0x80..0x9F; a terminal may obey them too.
        const bool c1 = c == 0xC2 && i + 1 < bytes.size() && uchar(bytes[i + 1]) >= 0x80
                        && uchar(bytes[i + 1]) <= 0x9F;
        if ((c < 0x20 && c != '\t') || c == 0x7F || c1 || (c >= 0x80 && c <= 0x9F)) {
            const uchar shown = c1 ? uchar(bytes[++i]) : c;
            safe.append("\\x").append(QByteArray::number(shown, 16).rightJustified(2, '0'));
        } else {
            safe.append(char(c));
        }
    }
    return safe;
}
