#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <cstddef>

// SipHash-2-4 of the bytes under a 128-bit key.
quint64 SipHash24(quint64 key0, quint64 key1, QByteArrayView bytes);

// The hash of texts from the server for our tables: SipHash-2-4 under a key drawn at
// random once per process, so no server can choose symbols or keys that all land in
// one bucket. Qt's own seeded hash is no weaker, but on the development machine it took
// about 130 ns for a ten-byte key, nine times this, and the client hashes several keys
// of every alert.
size_t SeededHash(QByteArrayView bytes);
size_t SeededHash(QStringView text);

// A text as a QHash or QSet key, hashed with SeededHash.
template <typename Text>
struct TSeededKey
{
    Text Value;

    friend bool operator==(const TSeededKey &a, const TSeededKey &b) { return a.Value == b.Value; }
    friend size_t qHash(const TSeededKey &key, size_t) { return SeededHash(key.Value); }
};

using TBytesKey = TSeededKey<QByteArray>;
using TTextKey = TSeededKey<QString>;
