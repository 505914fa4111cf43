#pragma once

// Alert bodies shaped like the bundled alert server's: the category line, CR LF, then
// "key=value" items joined by "&", numbers with a "." and times with escaped colons.
// Everything is drawn from a seeded generator, so every run measures the same bytes.

#include <QByteArray>
#include <QVector>

#include <random>

class TBodyMaker
{
public:
    explicit TBodyMaker(unsigned seed = 20240611) : random_(seed) {}

    // count distinct symbols of two to four capital letters.
    static QVector<QByteArray> Symbols(int count)
    {
        QVector<QByteArray> symbols;
        for (int i = 0; i < count; ++i) {
            QByteArray symbol;
            for (int n = i + 26 * 26; n > 0; n /= 26)
                symbol.prepend(char('A' + n % 26));
            symbols.append(symbol);
        }
        return symbols;
    }

    // symbol, last, prev_close, sma_divergence, time: a QuickStrike or symbol-only alert.
    QByteArray QuickStrike(const QByteArray &category, const QByteArray &symbol)
    {
        const double last = Price();
        QByteArray line = "symbol=" + symbol;
        Add(line, "last", last, 2);
        Add(line, "prev_close", last * Between(0.9, 1.1), 2);
        Add(line, "sma_divergence", Between(-2, 2), 2);
        line += "&time=" + Time();
        return Body(category, line);
    }

    // symbol, last, change: a simple-list alert.
    QByteArray SimpleRow(const QByteArray &category, const QByteArray &symbol)
    {
        QByteArray line = "symbol=" + symbol;
        Add(line, "last", Price(), 2);
        Add(line, "change", Between(-5, 5), 2);
        return Body(category, line);
    }

    // Eight fields of a JF-list alert.
    QByteArray JFRow(const QByteArray &category, const QByteArray &symbol)
    {
        QByteArray line = "time=" + Time() + "&symbol=" + symbol;
        Add(line, "change", Between(-8, 8), 2);
        line += "&count=" + QByteArray::number(Integer(1, 40));
        line += "&volume=" + QByteArray::number(Integer(1000, 9000000));
        Add(line, "bb", Between(-3, 3), 2);
        Add(line, "rank", Between(0, 100), 2);
        Add(line, "rv", Between(0, 9), 2);
        return Body(category, line);
    }

    // A band-set change: "add" with a distance, or "delete".
    QByteArray BandChange(const QByteArray &category, const QByteArray &symbol, bool add)
    {
        QByteArray line = "symbol=" + symbol + "&action=" + (add ? "add" : "delete");
        if (add) {
            const double last = Price();
            Add(line, "last", last, 2);
            Add(line, "prev_close", last * Between(0.9, 1.1), 2);
            Add(line, "dist_from_bb", Between(-4, 4), 2);
        }
        return Body(category, line);
    }

    // A points list of rows entries, three fields each.
    QByteArray PointsList(const QByteArray &category, const QVector<QByteArray> &symbols, int rows)
    {
        QByteArray line;
        for (int i = 0; i < rows; ++i) {
            Separate(line);
            line += "symbol" + QByteArray::number(i) + "=" + symbols[i % symbols.size()];
            Add(line, Indexed("last", i), Price(), 2);
            Add(line, Indexed("change", i), Between(-5, 5), 2);
        }
        return Body(category, line);
    }

    // A full top list of rows entries, fifteen fields each.
    QByteArray FullTopList(const QByteArray &category, const QVector<QByteArray> &symbols, int rows)
    {
        static const char *const Reals[] = {"price_spike", "vol_rate",  "todays_range",
                                            "opening_range", "strength", "up_trend",
                                            "near_high",   "near_low",  "new_high",
                                            "new_low",     "last",      "change"};
        QByteArray line;
        for (int i = 0; i < rows; ++i) {
            Separate(line);
            line += "symbol" + QByteArray::number(i) + "=" + symbols[i % symbols.size()];
            for (const char *name : Reals)
                Add(line, Indexed(name, i), Between(0, 99), 1);
            line += "&" + Indexed("volume", i) + "=" + QByteArray::number(Integer(1000, 9000000));
            line += "&" + Indexed("count", i) + "=" + QByteArray::number(Integer(1, 5000));
        }
        return Body(category, line);
    }

    int Integer(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    double Between(double low, double high)
    {
        return std::uniform_real_distribution<double>(low, high)(random_);
    }

private:
    static QByteArray Body(const QByteArray &category, const QByteArray &line)
    {
        return category + "\r\n" + line;
    }
    static QByteArray Indexed(const char *name, int i) { return name + QByteArray::number(i); }
    static void Separate(QByteArray &line)
    {
        if (!line.isEmpty())
            line += '&';
    }
    static void Add(QByteArray &line, const QByteArray &key, double value, int decimals)
    {
        Separate(line);
        line += key + "=" + QByteArray::number(value, 'f', decimals);
    }

    double Price() { return Between(1, 400); }
    // hh%3Amm%3Ass, as a careful server escapes the colons.
    QByteArray Time()
    {
        const auto two = [](int n) { return QByteArray::number(n).rightJustified(2, '0'); };
        return two(Integer(9, 15)) + "%3A" + two(Integer(0, 59)) + "%3A" + two(Integer(0, 59));
    }

    std::mt19937 random_;
};
