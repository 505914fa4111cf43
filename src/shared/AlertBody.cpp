#include "shared/AlertBody.h"

namespace {

// Where the first CR LF starts, or -1. A lone CR or LF is no break.
qsizetype LineBreakAt(QByteArrayView text)
{
    for (qsizetype at = text.indexOf('\r'); at >= 0; at = text.indexOf('\r', at + 1))
        if (at + 1 < text.size() && text[at + 1] == '\n')
            return at;
    return -1;
}

QByteArrayView FirstLine(QByteArrayView text)
{
    const qsizetype end = LineBreakAt(text);
    return end < 0 ? text : text.first(end);
}

} // namespace

TAlertBody ReadAlertBody(QByteArrayView body)
{
    const qsizetype categoryEnd = LineBreakAt(body);
    if (categoryEnd < 0)
        return {body, QByteArrayView()};
    return {body.first(categoryEnd), FirstLine(body.sliced(categoryEnd + 2))};
}

bool TAlertFieldWalker::Next(TAlertField &field)
{
    while (!rest_.isEmpty()) {
        const qsizetype ampersand = FindByte(rest_, '&');
        const QByteArrayView item = ampersand < 0 ? rest_ : rest_.first(ampersand);
        rest_ = ampersand < 0 ? QByteArrayView() : rest_.sliced(ampersand + 1);
        const qsizetype equals = FindByte(item, '=');
        if (equals >= 0) {
            field = {item.first(equals), item.sliced(equals + 1)};
            return true;
        }
    }
    return false;
}
