#pragma once

#include <QtGlobal>

// A figure of a list row in 4 bytes that gives back the very double it was made
// from. The alert parser reads a short decimal as digits / 10^fractionDigits, so such
// a figure is kept as its digits and its count of fraction digits and divided the same
// way when read (-0 too). Any other double (NaN, an infinity, one with too many
// digits) is kept once in a process-wide pool of such values, and the figure holds
// its place there; like the rows, the pool is used from the GUI thread only.
class TExactDecimal
{
public:
    TExactDecimal() = default; // NaN: a missing figure
    explicit TExactDecimal(double value);
    TExactDecimal &operator=(double value) { return *this = TExactDecimal(value); }

    double Value() const;
    // Rows read like the doubles they hold, for the grids and exports.
    operator double() const { return Value(); }

    // The 4 bytes as they are kept, for a row that lends its figures' room to other
    // data (a JF gap marker keeps its times there).
    quint32 Bits() const { return bits_; }
    static TExactDecimal FromBits(quint32 bits)
    {
        TExactDecimal decimal;
        decimal.bits_ = bits;
        return decimal;
    }

private:
    // Bit 31 the sign, bits 27 to 30 the fraction digits, bits 0 to 26 the digits; 15
    // fraction digits mark a figure kept in the pool, the digits its place there.
    static constexpr quint32 DigitBits = 27;
    static constexpr quint32 MaxDigits = (1u << DigitBits) - 1;
    static constexpr quint32 PooledMark = 15;
    static constexpr quint32 SignBit = 1u << 31;

    // Place 0 of the pool is NaN.
    quint32 bits_ = PooledMark << DigitBits;
};
