#pragma once

#include <QByteArray>

// Encodes bytes as text of letters, digits, "_" and "-" only, so a chunk of the session
// stream fits in a form field without further escaping. The bit layout is Base64's,
// with the alphabet a-z A-Z 0-9 _ - and no "=" fill: 1, 2 or 3 bytes give 2, 3 or 4
// characters.
QByteArray EncodeP64(const QByteArray &data);
