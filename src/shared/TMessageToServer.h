#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVector>

#include <type_traits>

// One key/value pair of a request. A pair with an empty key is kept but never sent.
struct TMessageField
{
    QByteArray Key;
    QByteArray Value;

    bool operator==(const TMessageField &other) const
    {
        return Key == other.Key && Value == other.Value;
    }
};

// A request to the server: key/value pairs in the order they are sent.
class TMessageToServer
{
public:
    TMessageToServer() = default;

    void Add(const QByteArray &key, const QByteArray &value);

    const QVector<TMessageField> &Fields() const { return fields_; }
    int Count() const { return static_cast<int>(fields_.size()); }
    // True when no pair has a key, so there is nothing to send.
    bool IsEmpty() const;
    // The value of the first pair with this key; empty when there is none.
    QByteArray Value(const QByteArray &key) const;

    bool operator==(const TMessageToServer &other) const { return fields_ == other.fields_; }
    bool operator!=(const TMessageToServer &other) const { return !(*this == other); }

private:
    QVector<TMessageField> fields_;
};

// The kinds of item a request can be built from. Wide characters and strings,
// pointers other than to narrow text, unsigned 64-bit integers and objects are
// fkUnknown: building a request from them does not compile.
enum TFieldKind { fkUnknown, fkBoolean, fkCharacter, fkInteger, fkFloat, fkBytes, fkZeroTerminated, fkText, fkVariant };

template <typename T>
constexpr TFieldKind FieldKindOf()
{
    using Item = std::decay_t<T>; // string literals arrive as character arrays
    if constexpr (std::is_same_v<Item, bool>)
        return fkBoolean;
    else if constexpr (std::is_same_v<Item, char>)
        return fkCharacter;
    else if constexpr (std::is_same_v<Item, wchar_t> || std::is_same_v<Item, char16_t>
                       || std::is_same_v<Item, char32_t>)
        return fkUnknown;
    // Every integer that fits a signed 64-bit value keeps its exact decimal text.
    else if constexpr (std::is_integral_v<Item>)
        return (std::is_signed_v<Item> || sizeof(Item) < sizeof(qint64)) ? fkInteger : fkUnknown;
    else if constexpr (std::is_floating_point_v<Item>)
        return fkFloat;
    else if constexpr (std::is_same_v<Item, QByteArray>)
        return fkBytes;
    else if constexpr (std::is_same_v<Item, const char *> || std::is_same_v<Item, char *>)
        return fkZeroTerminated;
    else if constexpr (std::is_same_v<Item, QString>)
        return fkText;
    else if constexpr (std::is_same_v<Item, QVariant>)
        return fkVariant;
    else
        return fkUnknown;
}

QByteArray IntegerToText(qint64 value);
// General format, 15 significant digits, the current locale's decimal separator and
// no group separators.
QByteArray FloatToText(double value);
// The variant's own text form; byte arrays pass through unchanged.
QByteArray VariantToText(const QVariant &value);

// One request item as text on the wire: integers in decimal, Booleans as "1" or "0",
// a character as itself, text as UTF-8.
template <typename T>
QByteArray FieldToText(const T &item)
{
    constexpr TFieldKind kind = FieldKindOf<T>();
    static_assert(kind != fkUnknown, "Unknown field type.");
    if constexpr (kind == fkBoolean)
        return item ? QByteArray("1") : QByteArray("0");
    else if constexpr (kind == fkCharacter)
        return QByteArray(1, item);
    else if constexpr (kind == fkInteger)
        return IntegerToText(static_cast<qint64>(item));
    else if constexpr (kind == fkFloat)
        return FloatToText(static_cast<double>(item));
    else if constexpr (kind == fkBytes)
        return item;
    else if constexpr (kind == fkZeroTerminated)
        return QByteArray(item);
    else if constexpr (kind == fkText)
        return item.toUtf8();
    else
        return VariantToText(item);
}

// A request from texts read as key, value, key, value...; an odd count is a
// programming error and raises an assertion error.
TMessageToServer MakeMessage(const QVector<QByteArray> &items);

// A request from typed items read as key, value, key, value..., each converted by
// FieldToText: MakeMessage("command", "ping", "response", '1').
template <typename... Items>
TMessageToServer MakeMessage(const Items &...items)
{
    static_assert(sizeof...(Items) % 2 == 0, "MakeMessage takes key, value pairs");
    return MakeMessage(QVector<QByteArray>{FieldToText(items)...});
}

// True for a key whose value must never be shown: one that names a password, a
// secret or a token, in any letter case.
bool IsSecretKey(const QByteArray &key);

// A request as error reports show it: ("command" --> "ping", "response" --> "1"),
// pairs with an empty key included, the value of every secret key as "***", and
// each other key and value decoded by DisplayText.
QString MessageToDebugText(const TMessageToServer &message);
