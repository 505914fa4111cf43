#include "client/core/TBandSet.h"

#include <QtTest>

#include <cmath>
#include <random>

namespace {

// The band-set rules read as plainly as they are said: the row found by a walk over
// the rows and the place found by a walk from the top.
class TPlainBandSet
{
public:
    void Add(const TBollingerEntry &entry)
    {
        int index = IndexOf(entry.Symbol);
        if (index == -1) {
            rows.append(entry);
            index = rows.size() - 1;
        }
        int place = 0;
        while (place < rows.size() && RanksBefore(rows[place], entry))
            ++place;
        const int target = place > index ? place - 1 : place;
        rows.move(index, target);
        rows[target] = entry;
    }

    bool Remove(const QByteArray &symbol)
    {
        const int index = IndexOf(symbol);
        if (index == -1)
            return false;
        rows.remove(index);
        return true;
    }

    bool Expire(TSteadyMs now)
    {
        QVector<TBollingerEntry> kept;
        for (const TBollingerEntry &entry : std::as_const(rows)) {
            // Kept while less than two minutes old.
            if (entry.Time > now - 120000)
                kept.append(entry);
        }
        const bool dropped = kept.size() != rows.size();
        rows = kept;
        return dropped;
    }

    QVector<TBollingerEntry> rows;

private:
    static bool RanksBefore(const TBollingerEntry &existing, const TBollingerEntry &added)
    {
        const double a = std::fabs(existing.DistFromBB);
        const double b = std::fabs(added.DistFromBB);
        return a > b || (a == b && existing.Symbol < added.Symbol);
    }

    int IndexOf(const QByteArray &symbol) const
    {
        for (int i = 0; i < rows.size(); ++i)
            if (rows[i].Symbol == symbol)
                return i;
        return -1;
    }
};

// Rows as text, so that a difference shows where it is (NaN equals NaN here).
QStringList Described(const QVector<TBollingerEntry> &rows)
{
    QStringList lines;
    for (const TBollingerEntry &row : rows)
        lines << QStringLiteral("%1 %2 %3 %4")
                     .arg(QString::fromLatin1(row.Symbol.toHex()))
                     .arg(row.DistFromBB)
                     .arg(row.Last)
                     .arg(row.Time);
    return lines;
}

} // namespace

class TestBandSet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void followsThePlainRulesThroughLongRuns_data();
    void followsThePlainRulesThroughLongRuns();
};

void TestBandSet::followsThePlainRulesThroughLongRuns_data()
{
    QTest::addColumn<QByteArrayList>("symbols");
    QTest::addColumn<QVector<double>>("distances");
    QTest::addColumn<double>("nanShare");
    const QByteArrayList plain = {"AAPL", "MSFT", "IBM", "GE", "F", "T", "XOM", "KO", "PEP", "BA", "CAT", "DE"};
    const QVector<double> spread = {-4.5, -3.25, -2, -1.5, -0.75, 0, 0.5, 1.25, 2.5, 3.75};
    QTest::newRow("distinct symbols") << plain << spread << 0.0;
    QTest::newRow("equal distances by symbol") << plain << QVector<double>{-1, 1, 2, -2} << 0.0;
    QTest::newRow("letter-case variants")
        << QByteArrayList{"abc", "ABC", "Abc", "xy", "XY", "q", "Q", "zz"} << spread << 0.0;
    QTest::newRow("NaN distances now and then") << plain << spread << 0.1;
    QTest::newRow("case variants and NaN")
        << QByteArrayList{"ab", "AB", "aB", "cd", "CD", "e"} << QVector<double>{-1, 1, 3} << 0.2;
    // "\xE9T" is not UTF-8 and reads as Latin-1: the same text as the UTF-8 of "éT".
    QTest::newRow("bytes that read alike")
        << QByteArrayList{"\xE9T", "\xC3\xA9T", "\xC3\x89T", "ET", "\xFF"} << spread << 0.05;
}

// Every step of a seeded run of adds, deletes and expiries leaves the rows and the
// answers as the plain rules do.
void TestBandSet::followsThePlainRulesThroughLongRuns()
{
    QFETCH(QByteArrayList, symbols);
    QFETCH(QVector<double>, distances);
    QFETCH(double, nanShare);
    std::mt19937 random(11);
    const auto below = [&random](int count) { return int(random() % unsigned(count)); };
    TBandSet set;
    TPlainBandSet plain;
    TSteadyMs now = 3888000000;
    for (int step = 0; step < 3000; ++step) {
        const QByteArray symbol = symbols[below(symbols.size())];
        const int roll = below(100);
        if (roll < 70) {
            TBollingerEntry entry;
            entry.Symbol = symbol;
            entry.DistFromBB = below(1000) < nanShare * 1000 ? MissingReal() : distances[below(distances.size())];
            entry.Last = step;
            entry.Time = now;
            set.Add(entry);
            plain.Add(entry);
        } else if (roll < 97) {
            QCOMPARE(set.Remove(symbol), plain.Remove(symbol));
        } else {
            now += below(90) * 1000;
            QCOMPARE(set.Expire(now), plain.Expire(now));
        }
        QCOMPARE(Described(set.Rows()), Described(plain.rows));
    }
}

QTEST_GUILESS_MAIN(TestBandSet)
#include "tst_BandSet.moc"
