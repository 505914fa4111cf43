#include "client/core/EntryRecords.h"

#include <cstring>

namespace {

// A time of day as the two halves of its 8 bytes, and back.
void SplitTime(TDateTime time, TExactDecimal &high, TExactDecimal &low)
{
    quint64 bits = 0;
    std::memcpy(&bits, &time, sizeof bits);
    high = TExactDecimal::FromBits(quint32(bits >> 32));
    low = TExactDecimal::FromBits(quint32(bits));
}

TDateTime JoinTime(const TExactDecimal &high, const TExactDecimal &low)
{
    const quint64 bits = quint64(high.Bits()) << 32 | low.Bits();
    TDateTime time = 0;
    std::memcpy(&time, &bits, sizeof time);
    return time;
}

} // namespace

TJFEntry TJFEntry::GapMarker(const TLinkGap &gap)
{
    TJFEntry marker;
    marker.Burst.Count = 0;
    SplitTime(gap.Lost, marker.Change, marker.BB);
    SplitTime(gap.Back, marker.Rank, marker.RV);
    return marker;
}

TLinkGap TJFEntry::Gap() const
{
    if (!IsGapMarker())
        return {};
    return {JoinTime(Change, BB), JoinTime(Rank, RV)};
}
