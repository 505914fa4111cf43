#pragma once

#include <QByteArray>

#include <optional>

// The bytes of the tunnel's upload bodies: P64 text back to bytes, and the head of an
// HTTP request read off a connection.

// The inverse of the client's P64 encoding (Base64's bit layout with the alphabet
// a-z A-Z 0-9 _ - and no fill). Nothing for text with a foreign character or a
// length no encoding produces.
std::optional<QByteArray> DecodeP64(const QByteArray &text);

// The value of one field of a form body "name=value&name=value", undecoded.
std::optional<QByteArray> FormField(const QByteArray &body, const QByteArray &name);

struct THttpRequestHead
{
    QByteArray Method;
    // The path with its query, also when the request line named a whole URL.
    QByteArray Path;
    QByteArray Host;
    qint64 ContentLength = 0;
};

enum class THttpReadResult { Incomplete, Complete, Bad };

// Takes one whole request (head and Content-Length body) from the front of buffer.
// Incomplete leaves the buffer alone; a head larger than any tunnel client sends, or
// one that cannot be read, is Bad.
THttpReadResult TakeHttpRequest(QByteArray &buffer, THttpRequestHead &head, QByteArray &body);
