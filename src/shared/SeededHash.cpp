#include "shared/SeededHash.h"

#include <QRandomGenerator>
#include <QtEndian>

#include <cstring>

namespace {

quint64 RotateLeft(quint64 value, int bits)
{
    return (value << bits) | (value >> (64 - bits));
}

struct TSipState
{
    quint64 V0, V1, V2, V3;

    void Rounds(int count)
    {
        for (int i = 0; i < count; ++i) {
            V0 += V1;
            V1 = RotateLeft(V1, 13);
            V1 ^= V0;
            V0 = RotateLeft(V0, 32);
            V2 += V3;
            V3 = RotateLeft(V3, 16);
            V3 ^= V2;
            V0 += V3;
            V3 = RotateLeft(V3, 21);
            V3 ^= V0;
            V2 += V1;
            V1 = RotateLeft(V1, 17);
            V1 ^= V2;
            V2 = RotateLeft(V2, 32);
        }
    }

    void Absorb(quint64 word)
    {
        V3 ^= word;
        Rounds(2);
        V0 ^= word;
    }
};

struct TProcessKey
{
    quint64 Key0;
    quint64 Key1;
};

const TProcessKey &ProcessKey()
{
    static const TProcessKey key{QRandomGenerator::system()->generate64(), QRandomGenerator::system()->generate64()};
    return key;
}

} // namespace

quint64 SipHash24(quint64 key0, quint64 key1, QByteArrayView bytes)
{
    TSipState state{key0 ^ 0x736f6d6570736575ULL, key1 ^ 0x646f72616e646f6dULL, key0 ^ 0x6c7967656e657261ULL,
                    key1 ^ 0x7465646279746573ULL};
    const char *at = bytes.data();
    const qsizetype size = bytes.size();
    const char *const wholeWordsEnd = at + (size & ~qsizetype(7));
    for (; at != wholeWordsEnd; at += 8) {
        quint64 word;
        std::memcpy(&word, at, sizeof word);
        state.Absorb(qFromLittleEndian(word));
    }
    // The last word: the bytes left over, and the length's low byte on top.
    quint64 last = quint64(size) << 56;
    for (int i = 0; i < int(size & 7); ++i)
        last |= quint64(static_cast<unsigned char>(at[i])) << (8 * i);
    state.Absorb(last);
    state.V2 ^= 0xff;
    state.Rounds(4);
    return state.V0 ^ state.V1 ^ state.V2 ^ state.V3;
}

size_t SeededHash(QByteArrayView bytes)
{
    const TProcessKey &key = ProcessKey();
    return size_t(SipHash24(key.Key0, key.Key1, bytes));
}

size_t SeededHash(QStringView text)
{
    return SeededHash(QByteArrayView(reinterpret_cast<const char *>(text.utf16()), text.size() * 2));
}
