#include "client/core/TExactDecimal.h"

#include <QHash>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr double PowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14};

quint64 BitsOf(double value)
{
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The doubles no short decimal gives, each kept once; keyed by their bits, so NaN and
// -0 are values like any other.
class TRealPool
{
public:
    TRealPool() { PlaceOf(std::numeric_limits<double>::quiet_NaN()); }

    quint32 PlaceOf(double value)
    {
        const quint64 bits = BitsOf(value);
        const auto found = places_.constFind(bits);
        if (found != places_.constEnd())
            return *found;
        const auto place = quint32(values_.size());
        values_.push_back(value);
        places_.insert(bits, place);
        return place;
    }

    double At(quint32 place) const { return values_[place]; }

private:
    std::vector<double> values_;
    QHash<quint64, quint32> places_;
};

TRealPool &Pool()
{
    static TRealPool pool;
    return pool;
}

} // namespace

TExactDecimal::TExactDecimal(double value)
{
    const double magnitude = std::fabs(value);
    const quint32 sign = std::signbit(value) ? SignBit : 0;
    // The fewest fraction digits that give the value back through the parser's own
    // division. Only a scaled value next to a whole number can, which is cheaper to
    // see than the division.
    for (quint32 fraction = 0; fraction < PooledMark && magnitude <= MaxDigits; ++fraction) {
        const double scaled = magnitude * PowersOfTen[fraction];
        if (scaled > MaxDigits)
            break;
        const auto digits = quint32(scaled + 0.5);
        if (std::fabs(scaled - digits) > scaled * 1e-12)
            continue;
        const double read = double(digits) / PowersOfTen[fraction];
        if (BitsOf(sign ? -read : read) == BitsOf(value)) {
            bits_ = sign | fraction << DigitBits | digits;
            return;
        }
    }
    const quint32 place = Pool().PlaceOf(value);
    Q_ASSERT(place <= MaxDigits);
    bits_ = PooledMark << DigitBits | place;
}

double TExactDecimal::Value() const
{
    const quint32 fraction = (bits_ >> DigitBits) & PooledMark;
    const quint32 digits = bits_ & MaxDigits;
    if (fraction == PooledMark)
        return Pool().At(digits);
    const double magnitude = double(digits) / PowersOfTen[fraction];
    return bits_ & SignBit ? -magnitude : magnitude;
}
