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

QByteArray TMarketClock::Text() const
{
    const int seconds = ms_ / 1000;
    char text[9];
    qsnprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return QByteArray(text, 8);
}
