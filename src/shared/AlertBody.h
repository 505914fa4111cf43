#pragma once

#include <QByteArrayView>

#include <cstring>

// The two parts of an alert body as the server sends it: the category line, CR LF,
// then the "&"-separated field list. Anything after a second CR LF is no part of the
// alert. Both are views into the body, which must outlive them.
struct TAlertBody
{
    QByteArrayView Category; // the whole body when it has no line break
    QByteArrayView Fields;   // empty when there is no line break
};

TAlertBody ReadAlertBody(QByteArrayView body);

// One item of a field list, split at its first "=": the key before it, the value after
// it (which may hold further "="). Both still carry their percent escapes, so an escaped
// "&" or "=" stays inside the text it belongs to.
struct TAlertField
{
    QByteArrayView Key;
    QByteArrayView Value;
};

// Walks a field list "key=value&key=value" item by item, in the order the alert carries
// them, with views into the list (which must outlive the walker). An item without "=",
// the empty ones between "&&" included, is passed over.
// Where the byte c first stands in text, or -1. Qt's search takes a detour for a
// single byte that shows when every field of every alert is searched a few times.
inline qsizetype FindByte(QByteArrayView text, char c)
{
    const void *const at = text.isEmpty() ? nullptr : std::memchr(text.data(), c, size_t(text.size()));
    return at ? static_cast<const char *>(at) - text.data() : -1;
}
inline bool HasEscape(QByteArrayView text)
{
    return FindByte(text, '%') >= 0;
}

class TAlertFieldWalker
{
public:
    explicit TAlertFieldWalker(QByteArrayView fieldList) : rest_(fieldList) {}

    // The next item in field; false once the list is done.
    bool Next(TAlertField &field);

private:
    QByteArrayView rest_;
};
