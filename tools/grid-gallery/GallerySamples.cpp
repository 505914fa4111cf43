#include "GallerySamples.h"

#include <algorithm>

namespace {

TSmbTopListEntry TopListRow(const QString &symbol, double volRate, double priceSpike, double newHigh,
                            double newLow)
{
    TSmbTopListEntry row;
    row.Symbol = symbol.toUtf8();
    row.VolRate = volRate;
    row.PriceSpike = priceSpike;
    row.NewHigh = newHigh;
    row.NewLow = newLow;
    row.TodaysRange = 2.5 * volRate;
    row.OpeningRange = 1.25 + volRate;
    row.Strength = volRate - 1.5;
    row.UpTrend = 1.0 - volRate;
    row.NearHigh = 10 * newHigh;
    row.NearLow = 10 * newLow;
    row.Last = 20.0 + 7.5 * volRate;
    row.Change = volRate - 1.0;
    row.Volume = qint32(volRate * 3500000);
    row.Count = qint32(volRate * 40);
    return row;
}

} // namespace

TQuickStrikeEntries QuickStrikeSamples()
{
    TQuickStrikeEntries entries;
    const struct
    {
        const char *symbol;
        double last, prevClose, divergence;
        const char *time;
    } rows[] = {
        {"MSFT", 412.55, 410.00, 0.42, "10:31:05"},
        {"AAPL", 189.10, 190.60, -0.12, "10:30:58"},
        {"VERYLONGSYMBOL", 12.00, 0.00, -1.5, "10:30:41 and a long time text"},
        {"IBM", 141.02, 141.02, 0.0, "10:30:02"},
        {"TSLA", std::numeric_limits<double>::quiet_NaN(), 180.0, 2.25, "10:29:13"},
    };
    for (const auto &row : rows) {
        TQuickStrikeEntry entry;
        entry.Symbol = QByteArray(row.symbol);
        entry.Last = row.last;
        entry.PrevClose = row.prevClose;
        entry.Divergence = row.divergence;
        entry.Time = QByteArray(row.time);
        entries.append(entry);
    }
    return entries;
}

TBollingerEntries BollingerSamples()
{
    TBollingerEntries entries;
    entries.append({QByteArray("NVDA"), 880.20, 860.00, 3.75, 0});
    entries.append({QByteArray("AMD"), 160.10, 163.40, -2.10, 0});
    entries.append({QByteArray("INTC"), 43.00, 43.00, 0.0, 0});
    entries.append({QByteArray("QCOM"), 170.00, 168.00, MissingReal(), 0});
    return entries;
}

QVector<TQuickStrikeEntries> SymbolOnlySteps()
{
    QVector<TQuickStrikeEntries> steps;
    TQuickStrikeEntries list;
    const QStringList symbols = {QStringLiteral("A"),    QStringLiteral("BB"),   QStringLiteral("CCC"),
                                 QStringLiteral("DDDD"), QStringLiteral("EEE"),  QStringLiteral("FF"),
                                 QStringLiteral("G"),    QStringLiteral("HHHH"), QStringLiteral("LONGSYMBOL")};
    for (const QString &symbol : symbols) {
        TQuickStrikeEntry entry;
        entry.Symbol = symbol.toUtf8();
        list.prepend(entry);
        steps.append(list);
    }
    return steps;
}

TJFEntries JFSamples()
{
    TJFEntries entries;
    const struct
    {
        const char *time, *symbol;
        double change, bb;
        qint32 volume, count;
        double rank, rv;
    } rows[] = {
        {"10:31", "ORCL", 1.93, 0.85, 1234567, 12, 0.0, 2.5},
        {"10:30", "CSCO", -0.45, 1.10, 999, 9, 0.25, 1.1},
        {"10:29", "ADBE", 0.1, 0.5, 45678901, 10, 0.5, 0.75},
        {"10:28", "CRM", -3.2, -0.2, 0, 0, 1.0, std::numeric_limits<double>::quiet_NaN()},
        {"10:27", "SAP", 0.0, 0.0, 1000000, 150, 2.0, 0.0},
    };
    for (const auto &row : rows) {
        TJFEntry entry;
        entry.Time = QByteArray(row.time);
        entry.Symbol = QByteArray(row.symbol);
        entry.Change = row.change;
        entry.BB = row.bb;
        entry.Volume = row.volume;
        entry.Count = row.count;
        entry.Rank = row.rank;
        entry.RV = row.rv;
        entries.append(entry);
    }
    return entries;
}

TPointsTopListEntries PointsSamples()
{
    TPointsTopListEntries entries;
    const auto add = [&entries](const char *symbol, double last, double change) {
        TPointsTopListEntry entry;
        entry.Symbol = QByteArray(symbol);
        entry.Last = last;
        entry.Change = change;
        entries.append(entry);
    };
    add("GOOG", 151.77, 2.35);
    add("AMZN", 178.20, -1.5);
    add("META", MissingReal(), -1.5);
    return entries;
}

TSmbTopListEntries TopListSamples()
{
    const double none = MissingReal();
    TSmbTopListEntries rows;
    rows.append(TopListRow(QStringLiteral("LOWR"), 0.25, 5.0, 0.25, 1.0));
    rows.append(TopListRow(QStringLiteral("BLUE"), 0.75, 4.99, 0.5, 0.75));
    rows.append(TopListRow(QStringLiteral("EVEN"), 1.0, 7.2, 0.75, 0.5));
    TSmbTopListEntry separator;
    separator.Symbol = "-";
    rows.append(separator);
    rows.append(TopListRow(QStringLiteral("WARM"), 1.75, 1.0, 1.0, 0.25));
    rows.append(TopListRow(QStringLiteral("REDD"), 2.25, none, 0.0, none));
    rows.append(TopListRow(QStringLiteral("HOTTEST"), 4.0, 12.3, 1.5, 0.1));
    rows.append(TopListRow(QStringLiteral("NONE"), none, none, none, none));
    return rows;
}

TSmbTopListEntries TopListReordered()
{
    TSmbTopListEntries rows = TopListSamples();
    std::reverse(rows.begin(), rows.end());
    rows.append(TopListRow(QStringLiteral("NEW1"), 1.2, 0.0, 0.0, 0.0));
    rows.append(TopListRow(QStringLiteral("NEW2"), 1.3, 0.0, 0.0, 0.0));
    return rows;
}
