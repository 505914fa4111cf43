#include "shared/P64.h"

#include "shared/Exception.h"

#include <array>

namespace {

using TP64Alphabet = std::array<char, 64>;

TP64Alphabet FillAlphabet()
{
    TP64Alphabet alphabet{};
    int placed = 0;
    auto place = [&](char c) {
        AZ_ASSERT(placed < int(alphabet.size()));
        alphabet[placed++] = c;
    };
    for (char c = 'a'; c <= 'z'; ++c)
        place(c);
    for (char c = 'A'; c <= 'Z'; ++c)
        place(c);
    for (char c = '0'; c <= '9'; ++c)
        place(c);
    place('_');
    place('-');
    AZ_ASSERT_MSG(placed == int(alphabet.size()), "P64 alphabet is incomplete");
    return alphabet;
}

const TP64Alphabet &Alphabet()
{
    static const TP64Alphabet alphabet = FillAlphabet();
    return alphabet;
}

} // namespace

QByteArray EncodeP64(const QByteArray &data)
{
    const TP64Alphabet &alphabet = Alphabet();
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    const int n = data.size();
    const int tail = n % 3;
    QByteArray out;
    out.reserve(4 * (n / 3) + (tail ? tail + 1 : 0));

    int i = 0;
    for (; i + 3 <= n; i += 3) {
        const quint32 group = quint32(bytes[i]) << 16 | quint32(bytes[i + 1]) << 8 | bytes[i + 2];
        out.append(alphabet[group >> 18 & 63]);
        out.append(alphabet[group >> 12 & 63]);
        out.append(alphabet[group >> 6 & 63]);
        out.append(alphabet[group & 63]);
    }
    // A partial group is padded with zero bits and cut after its last meaningful character.
    if (tail) {
        quint32 group = quint32(bytes[i]) << 16;
        if (tail == 2)
            group |= quint32(bytes[i + 1]) << 8;
        out.append(alphabet[group >> 18 & 63]);
        out.append(alphabet[group >> 12 & 63]);
        if (tail == 2)
            out.append(alphabet[group >> 6 & 63]);
    }
    return out;
}
