#include "TMarketClock.h"

bool TMarketClock::Advance(int stepMs)
{
    ms_ += stepMs;
    if (ms_ < CloseMs)
        return false;
    ms_ = OpenMs;
    return true;
}

double TMarketClock::DayFraction() const
{
    return double(ms_ - OpenMs) / double(CloseMs - OpenMs);
}

TMarketClock::TText TMarketClock::Text() const
{
    const int seconds = ms_ / 1000;
    const int parts[3] = {seconds / 3600, seconds / 60 % 60, seconds % 60};
    TText text;
    for (int i = 0; i < 3; ++i) {
        text.Chars[3 * i] = char('0' + parts[i] / 10 % 10);
        text.Chars[3 * i + 1] = char('0' + parts[i] % 10);
        if (i < 2)
            text.Chars[3 * i + 2] = ':';
    }
    return text;
}
