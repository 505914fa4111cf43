#pragma once

#include "TFeedRandom.h"
#include "TMarketClock.h"

#include <QByteArray>
#include <QVector>

// One listed stock and its trading day so far.
struct TStock
{
    QByteArray Symbol;
    double PrevClose = 0;
    double Open = 0;
    double Last = 0;
    double High = 0;
    double Low = 0;
    // A slow moving average of Last: what "divergence" and the bands are measured from.
    double Average = 0;
    // Typical relative size of one price step.
    double Volatility = 0;
    // Drift of the price, -1 (falling) to 1 (rising); changes slowly.
    double Trend = 0;
    // A typical whole day's volume: the yardstick of relative volume.
    double DailyVolume = 0;
    qint32 Volume = 0;
    qint32 Trades = 0;
    // Time of day of the last trade: the volume of a trade stands for the time since.
    int LastTradeMs = 0;

    double Change() const { return Last - PrevClose; }
    double PercentChange() const { return (Last - PrevClose) / PrevClose * 100.0; }
};

// A few hundred made-up stocks whose prices take random walks around their previous
// close, with volumes and trade counts that grow through the day. Every alert moves
// the market on by one trade.
class TMarketUniverse
{
public:
    // The day has been traded from the open up to startMsOfDay, so the first alerts
    // show a day already under way; a start outside the trading hours starts at the open.
    TMarketUniverse(TFeedRandom &random, int stockCount, int startMsOfDay);

    // Moves the clock on by a random step averaging meanStepMs, lets one stock trade and
    // returns its index. Most trades fall on the day's active names.
    int Step(int meanStepMs);

    // A stock picked the way Step picks one, without trading it.
    int PickActive() const;

    const TStock &Stock(int index) const { return stocks_[index]; }
    int Count() const { return stocks_.size(); }
    const TMarketClock &Clock() const { return clock_; }

    // Volume so far against the part of a typical day's volume that is due by now;
    // about 1 for a stock trading as usual.
    double RelativeVolume(const TStock &stock) const;

private:
    QByteArray NewSymbol();
    void WarmUp(int untilMs);
    void Trade(TStock &stock);
    void StartDay();

    TFeedRandom &random_;
    TMarketClock clock_;
    QVector<TStock> stocks_;
    // Indexes of the names most trades fall on; one is swapped out now and then.
    QVector<int> active_;
};
