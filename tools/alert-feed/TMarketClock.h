#pragma once

#include <QByteArrayView>

// The feed's own time of day, in milliseconds since midnight. It moves only when the
// feed produces an alert, so a seeded run stamps the same times however fast it is
// read. At the close it starts the next trading day at the open.
class TMarketClock
{
public:
    static constexpr int OpenMs = (9 * 60 + 30) * 60 * 1000;
    static constexpr int CloseMs = 16 * 60 * 60 * 1000;

    // Starts at the open of the first day.
    TMarketClock() = default;

    // Returns true when the step crossed the close and a new day began.
    bool Advance(int stepMs);

    int MsOfDay() const { return ms_; }
    // How much of the trading day has passed, 0 at the open to 1 at the close.
    double DayFraction() const;
    // The time of day as text, made without an allocation.
    struct TText
    {
        char Chars[8];
        // "HH:MM:SS".
        QByteArrayView Seconds() const { return QByteArrayView(Chars, 8); }
        // "HH:MM".
        QByteArrayView Minutes() const { return QByteArrayView(Chars, 5); }
    };
    TText Text() const;

private:
    int ms_ = OpenMs;
};
