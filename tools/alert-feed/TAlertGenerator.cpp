#include "TAlertGenerator.h"

#include "TAlertFields.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int BandSetTarget = 30;
constexpr double BandDeleteChance = 0.15;
constexpr double BandUpdateChance = 0.4;
constexpr int PointsListRows = 12;
constexpr int TradesPerJFAlert = 40;
// Share of times sent with their colons percent-encoded, as some servers do.
constexpr double EscapedTimeChance = 0.25;

// Prices are quoted in cents above a dollar and hundredths of a cent below.
int PriceDecimals(double price)
{
    return price >= 1.0 ? 2 : 4;
}

} // namespace

TAlertGenerator::TAlertGenerator(quint64 seed, int startMsOfDay, int meanStepMs)
    : random_(seed),
      market_(random_, StockCount, startMsOfDay),
      meanStepMs_(std::max(meanStepMs, 1))
{
}

QByteArray TAlertGenerator::NextBody(const QByteArray &category, TFeedKind kind)
{
    const int stock = market_.Step(meanStepMs_);
    TAlertFields fields(body_, category);
    switch (kind) {
    case TFeedKind::NewestFirst:
    case TFeedKind::SymbolMatrix:
        AddQuickStrike(fields, stock);
        break;
    case TFeedKind::BandSet:
        AddBandChange(fields, bandSets_[category], stock);
        break;
    case TFeedKind::PointsList:
        AddPointsList(fields);
        break;
    case TFeedKind::SimpleList:
        AddSimpleRow(fields, stock);
        break;
    case TFeedKind::JFList:
        AddJFRow(fields, stock);
        break;
    case TFeedKind::FullTopList:
        AddFullTopList(fields, boards_.try_emplace(category, random_, market_).first->second);
        break;
    }
    // A body of its own size: the buffer keeps the room of the longest body so far.
    return QByteArray(body_.constData(), body_.size());
}

void TAlertGenerator::AddTime(TAlertFields &fields, QByteArrayView time)
{
    if (random_.Chance(EscapedTimeChance))
        fields.AddEscapingPunctuation("time", time, random_.Chance(0.5));
    else
        fields.Add("time", time);
}

double TAlertGenerator::BandPosition(const TStock &stock) const
{
    return (stock.Last - stock.Average) / (2.0 * stock.Volatility * stock.Last);
}

void TAlertGenerator::AddQuickStrike(TAlertFields &fields, int index)
{
    const TStock &stock = market_.Stock(index);
    const int decimals = PriceDecimals(stock.Last);
    fields.Add("symbol", stock.Symbol);
    fields.AddNumber("last", stock.Last, decimals);
    fields.AddNumber("prev_close", stock.PrevClose, PriceDecimals(stock.PrevClose));
    fields.AddNumber("sma_divergence", stock.Last - stock.Average, decimals);
    AddTime(fields, market_.Clock().Text().Seconds());
}

void TAlertGenerator::AddBandChange(TAlertFields &fields, TBandSet &set, int index)
{
    const bool full = set.Members.size() >= BandSetTarget;
    if (!set.Members.isEmpty() && (full || random_.Chance(BandDeleteChance))) {
        const int place = random_.Below(set.Members.size());
        fields.Add("symbol", market_.Stock(set.Members[place]).Symbol);
        fields.Add("action", "delete");
        set.Members.remove(place);
        return;
    }
    // Symbols already in the set come back often, so rows move rather than only pile up.
    if (!set.Members.isEmpty() && random_.Chance(BandUpdateChance))
        index = set.Members[random_.Below(set.Members.size())];
    else if (!set.Members.contains(index))
        set.Members.append(index);

    const TStock &stock = market_.Stock(index);
    const double position = BandPosition(stock);
    // Outside the band is positive above the upper one and negative below the lower one.
    const double distance = position >= 0 ? position - 1.0 : position + 1.0;
    fields.Add("symbol", stock.Symbol);
    fields.Add("action", "add");
    fields.AddNumber("last", stock.Last, PriceDecimals(stock.Last));
    fields.AddNumber("prev_close", stock.PrevClose, PriceDecimals(stock.PrevClose));
    fields.AddNumber("dist_from_bb", distance, 2);
}

void TAlertGenerator::AddPointsList(TAlertFields &fields)
{
    // The day's biggest gainers in points.
    QVector<int> &ranked = ranked_;
    ranked.resize(market_.Count());
    for (int i = 0; i < ranked.size(); ++i)
        ranked[i] = i;
    const int rows = std::min(PointsListRows, market_.Count());
    std::partial_sort(ranked.begin(), ranked.begin() + rows, ranked.end(), [this](int a, int b) {
        const double changeA = market_.Stock(a).Change();
        const double changeB = market_.Stock(b).Change();
        return changeA > changeB || (changeA == changeB && a < b);
    });
    for (int row = 0; row < rows; ++row) {
        const TStock &stock = market_.Stock(ranked[row]);
        fields.Add(IndexedKey("symbol", row), stock.Symbol);
        fields.AddNumber(IndexedKey("last", row), stock.Last, PriceDecimals(stock.Last));
        fields.AddNumber(IndexedKey("change", row), stock.Change(), PriceDecimals(stock.Last));
    }
}

void TAlertGenerator::AddSimpleRow(TAlertFields &fields, int index)
{
    const TStock &stock = market_.Stock(index);
    fields.Add("symbol", stock.Symbol);
    fields.AddNumber("last", stock.Last, PriceDecimals(stock.Last));
    fields.AddNumber("change", stock.Change(), PriceDecimals(stock.Last));
}

void TAlertGenerator::AddJFRow(TAlertFields &fields, int index)
{
    const TStock &stock = market_.Stock(index);
    // The day's alerts on the symbol: one for every so many trades, so busy names
    // reach the highlighted counts as the day goes on.
    const int count = stock.Trades / TradesPerJFAlert + 1;
    const double relativeVolume = market_.RelativeVolume(stock);
    // Unusual volume tints the row: nothing below 1.5 times the usual, full at 4.5.
    const double rank = relativeVolume < 1.5 ? 0.0 : std::min(1.0, (relativeVolume - 1.5) / 3.0);
    // The JF list's time column is made for hours and minutes.
    const TMarketClock::TText time = market_.Clock().Text();
    AddTime(fields, time.Minutes());
    fields.Add("symbol", stock.Symbol);
    fields.AddNumber("change", stock.PercentChange(), 2);
    fields.AddInteger("count", count);
    fields.AddInteger("volume", stock.Volume);
    fields.AddNumber("bb", BandPosition(stock), 2);
    fields.AddNumber("rank", rank, 2);
    fields.AddNumber("rv", relativeVolume, 2);
}

void TAlertGenerator::AddFullTopList(TAlertFields &fields, TTopListBoard &board)
{
    board.Drift();
    const QVector<int> rows = board.Rows();
    for (int row = 0; row < rows.size(); ++row) {
        if (rows[row] == TTopListBoard::Separator) {
            fields.Add(IndexedKey("symbol", row), "-");
            continue;
        }
        const TStock &stock = market_.Stock(rows[row]);
        const double nearHigh = (stock.High - stock.Last) / stock.Last * 100.0;
        const double nearLow = (stock.Last - stock.Low) / stock.Last * 100.0;
        const double spike =
            std::fabs(stock.Last - stock.Average) / (stock.Volatility * stock.Last);
        fields.Add(IndexedKey("symbol", row), stock.Symbol);
        fields.AddNumber(IndexedKey("price_spike", row), std::min(spike, 9.9), 1);
        fields.AddNumber(IndexedKey("vol_rate", row),
                         std::clamp(market_.RelativeVolume(stock), 0.1, 9.9), 1);
        fields.AddNumber(IndexedKey("todays_range", row),
                         (stock.High - stock.Low) / stock.PrevClose * 100.0, 1);
        fields.AddNumber(IndexedKey("opening_range", row),
                         (stock.Last - stock.Open) / stock.Open * 100.0, 1);
        fields.AddNumber(IndexedKey("strength", row), board.Strength(rows[row]), 1);
        fields.AddNumber(IndexedKey("up_trend", row), stock.Trend * 99.9, 1);
        fields.AddNumber(IndexedKey("near_high", row), nearHigh, 1);
        fields.AddNumber(IndexedKey("near_low", row), nearLow, 1);
        // The pies: how close the price is to making a new high or low of the day.
        fields.AddNumber(IndexedKey("new_high", row), std::clamp(1.0 - nearHigh / 2.0, 0.0, 1.0),
                         2);
        fields.AddNumber(IndexedKey("new_low", row), std::clamp(1.0 - nearLow / 2.0, 0.0, 1.0), 2);
        fields.AddNumber(IndexedKey("last", row), stock.Last, PriceDecimals(stock.Last));
        fields.AddNumber(IndexedKey("change", row), stock.PercentChange(), 2);
        fields.AddInteger(IndexedKey("volume", row), stock.Volume);
        fields.AddInteger(IndexedKey("count", row), stock.Trades);
    }
}
