#include "TMarketUniverse.h"

#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

constexpr int ActiveNames = 40;
constexpr double ActiveShare = 0.75;
constexpr double ActiveSwapChance = 0.01;
constexpr qint32 VolumeCeiling = 2000000000;
constexpr int WarmUpTrades = 20000;

// Cents above a dollar, hundredths of a cent below, as the exchanges quote them.
double RoundToTick(double price)
{
    const double tick = price >= 1.0 ? 0.01 : 0.0001;
    return std::max(tick, std::round(price / tick) * tick);
}

} // namespace

TMarketUniverse::TMarketUniverse(TFeedRandom &random, int stockCount, int startMsOfDay)
    : random_(random)
{
    stocks_.reserve(stockCount);
    QSet<QByteArray> taken;
    while (stocks_.size() < stockCount) {
        TStock stock;
        stock.Symbol = NewSymbol();
        if (taken.contains(stock.Symbol))
            continue;
        taken.insert(stock.Symbol);
        // Prices spread evenly on a log scale from about 2 to 400 dollars.
        stock.PrevClose = RoundToTick(std::pow(10.0, random_.Between(0.3, 2.6)));
        stock.Volatility = random_.Between(0.0005, 0.002);
        stock.Trend = random_.Between(-1.0, 1.0);
        stock.DailyVolume = std::pow(10.0, random_.Between(4.7, 7.7));
        stocks_.append(stock);
    }
    for (int i = 0; i < ActiveNames && i < stockCount; ++i)
        active_.append(random_.Below(stockCount));
    StartDay();
    WarmUp(startMsOfDay);
}

void TMarketUniverse::WarmUp(int untilMs)
{
    if (untilMs <= TMarketClock::OpenMs || untilMs >= TMarketClock::CloseMs)
        return;
    // Equal steps that end at untilMs, never past the close.
    const int stepMs = (untilMs - TMarketClock::OpenMs) / WarmUpTrades;
    for (int i = 0; i < WarmUpTrades; ++i) {
        clock_.Advance(stepMs);
        Trade(stocks_[PickActive()]);
    }
    clock_.Advance(untilMs - clock_.MsOfDay());
}

QByteArray TMarketUniverse::NewSymbol()
{
    const double lengthRoll = random_.Unit();
    const int length = lengthRoll < 0.02 ? 1 : lengthRoll < 0.10 ? 2 : lengthRoll < 0.55 ? 3 : 4;
    QByteArray symbol;
    for (int i = 0; i < length; ++i)
        symbol.append(char('A' + random_.Below(26)));
    return symbol;
}

void TMarketUniverse::StartDay()
{
    for (TStock &stock : stocks_) {
        if (stock.Last > 0)
            stock.PrevClose = stock.Last;
        // Overnight news opens most stocks a little away from yesterday's close.
        stock.Open = RoundToTick(stock.PrevClose * (1.0 + 0.005 * random_.Gaussian()));
        stock.Last = stock.High = stock.Low = stock.Average = stock.Open;
        stock.Volume = 0;
        stock.Trades = 0;
        stock.LastTradeMs = TMarketClock::OpenMs;
    }
}

int TMarketUniverse::PickActive() const
{
    if (!active_.isEmpty() && random_.Chance(ActiveShare))
        return active_[random_.Below(active_.size())];
    return random_.Below(stocks_.size());
}

int TMarketUniverse::Step(int meanStepMs)
{
    if (clock_.Advance(random_.Below(2 * meanStepMs + 1)))
        StartDay();
    if (!active_.isEmpty() && random_.Chance(ActiveSwapChance))
        active_[random_.Below(active_.size())] = random_.Below(stocks_.size());
    const int index = PickActive();
    Trade(stocks_[index]);
    return index;
}

void TMarketUniverse::Trade(TStock &stock)
{
    // A step of the walk: noise, the stock's own drift, and a pull back towards the
    // previous close that keeps most prices within a few percent of it.
    const double noise = stock.Volatility * random_.Gaussian();
    const double drift = 0.05 * stock.Volatility * stock.Trend;
    const double pull = 0.02 * (stock.PrevClose - stock.Last) / stock.PrevClose;
    stock.Last = RoundToTick(stock.Last * (1.0 + noise + drift + pull));
    stock.High = std::max(stock.High, stock.Last);
    stock.Low = std::min(stock.Low, stock.Last);
    stock.Average += 0.05 * (stock.Last - stock.Average);
    stock.Trend = std::clamp(stock.Trend + 0.05 * random_.Gaussian(), -1.0, 1.0);

    // A trade carries the volume due since the stock's last one, more or less, so that
    // the day's volume grows with the time of day whatever the alert rate.
    const int nowMs = clock_.MsOfDay();
    const double dayShare =
        double(nowMs - stock.LastTradeMs) / double(TMarketClock::CloseMs - TMarketClock::OpenMs);
    const double lots = stock.DailyVolume * dayShare * random_.Between(0.4, 2.4) / 100.0;
    const qint64 volume = qint64(stock.Volume) + 100 * (qint64(lots) + 1);
    stock.Volume = qint32(std::min<qint64>(volume, VolumeCeiling));
    stock.LastTradeMs = nowMs;
    ++stock.Trades;
}

double TMarketUniverse::RelativeVolume(const TStock &stock) const
{
    // Early in the day almost nothing is due yet; a floor keeps the ratio sensible.
    const double due = stock.DailyVolume * std::max(clock_.DayFraction(), 0.02);
    return stock.Volume / due;
}
