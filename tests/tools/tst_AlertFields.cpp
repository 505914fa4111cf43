#include "TAlertFields.h"
#include "TMarketClock.h"

#include <QtTest>

#include <cmath>
#include <limits>
#include <random>

namespace {

// The field line of a body with one number: what follows "n=".
QByteArray NumberText(double value, int decimals)
{
    QByteArray body;
    TAlertFields fields(body, "C");
    fields.AddNumber("n", value, decimals);
    return body.mid(QByteArrayLiteral("C\r\nn=").size());
}

// How Qt spells a fixed decimal, with a zero never written "-0.00".
QByteArray QtSpelling(double value, int decimals)
{
    if (std::round(value * std::pow(10.0, decimals)) == 0)
        value = 0;
    return QByteArray::number(value, 'f', decimals);
}

} // namespace

class TestAlertFields : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void numbersAreSpelledFixed_data();
    void numbersAreSpelledFixed();
    void numbersMatchQtsSpellingOverTheMarketsRange_data();
    void numbersMatchQtsSpellingOverTheMarketsRange();
    void keysAndValuesAreEscaped_data();
    void keysAndValuesAreEscaped();
    void aReusedBufferHoldsOnlyTheNewBody();
    void clockTextIsZeroPadded_data();
    void clockTextIsZeroPadded();
};

void TestAlertFields::numbersAreSpelledFixed_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QByteArray>("text");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    QTest::newRow("price") << 12.34 << 2 << QByteArray("12.34");
    QTest::newRow("leading zero of the fraction") << 3.05 << 2 << QByteArray("3.05");
    QTest::newRow("below a dollar") << 0.0457 << 4 << QByteArray("0.0457");
    QTest::newRow("negative below one") << -0.5 << 2 << QByteArray("-0.50");
    QTest::newRow("rounds up into the integer") << 9.9951 << 2 << QByteArray("10.00");
    QTest::newRow("negative rounds away") << -1.239 << 2 << QByteArray("-1.24");
    QTest::newRow("tiny negative is zero") << -0.004 << 2 << QByteArray("0.00");
    QTest::newRow("just past half a cent below") << -0.0051 << 2 << QByteArray("-0.01");
    QTest::newRow("no decimals") << 41.6 << 0 << QByteArray("42");
    QTest::newRow("one decimal") << -99.9 << 1 << QByteArray("-99.9");
    QTest::newRow("nine decimals") << 1.000000001 << 9 << QByteArray("1.000000001");
    QTest::newRow("ten decimals") << 0.25 << 10 << QByteArray("0.2500000000");
    QTest::newRow("beyond an exact integer") << 1e20 << 2 << QByteArray("100000000000000000000.00");
    QTest::newRow("not a number") << nan << 2 << QByteArray("nan");
    QTest::newRow("infinity") << -infinity << 2 << QByteArray("-inf");
}

void TestAlertFields::numbersAreSpelledFixed()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QByteArray, text);
    QCOMPARE(NumberText(value, decimals), text);
}

void TestAlertFields::numbersMatchQtsSpellingOverTheMarketsRange_data()
{
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<int>("decimals");
    QTest::newRow("prices") << 0.5 << 500.0 << 2;
    QTest::newRow("pennies") << 0.0001 << 1.0 << 4;
    QTest::newRow("changes") << -20.0 << 20.0 << 2;
    QTest::newRow("scores") << -99.9 << 99.9 << 1;
    QTest::newRow("around zero") << -0.01 << 0.01 << 2;
    QTest::newRow("volumes") << 0.0 << 2e9 << 0;
}

// The market's numbers cover these ranges; every one must read as Qt would write it.
void TestAlertFields::numbersMatchQtsSpellingOverTheMarketsRange()
{
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(int, decimals);
    std::mt19937_64 engine(7);
    std::uniform_real_distribution<double> uniform(low, high);
    for (int i = 0; i < 20000; ++i) {
        const double value = uniform(engine);
        QCOMPARE(NumberText(value, decimals), QtSpelling(value, decimals));
    }
}

void TestAlertFields::keysAndValuesAreEscaped_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("punctuation");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("plain") << QByteArray("ABC") << false << QByteArray("k=ABC");
    QTest::newRow("separators") << QByteArray("a&b=c%d") << false << QByteArray("k=a%26b%3Dc%25d");
    QTest::newRow("line breaks and high bytes")
        << QByteArray("x\r\ny\xE9") << false << QByteArray("k=x%0D%0Ay%E9");
    QTest::newRow("a run of escapes") << QByteArray(4, '&') << false << QByteArray("k=%26%26%26%26");
    QTest::newRow("time with upper-case hex") << QByteArray("10:05:03") << true
                                              << QByteArray("k=10%3A05%3A03");
}

void TestAlertFields::keysAndValuesAreEscaped()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, punctuation);
    QFETCH(QByteArray, line);
    QByteArray body;
    TAlertFields fields(body, "C");
    if (punctuation)
        fields.AddEscapingPunctuation("k", value, false);
    else
        fields.Add("k", value);
    QCOMPARE(body, "C\r\n" + line);
}

void TestAlertFields::aReusedBufferHoldsOnlyTheNewBody()
{
    QByteArray body;
    {
        TAlertFields first(body, "TopList");
        // Long enough to make the buffer grow more than once.
        for (int row = 0; row < 200; ++row)
            first.AddNumber(IndexedKey("strength", row), row - 99.5, 1);
        first.Add("note", QByteArray(5000, '='));
    }
    QVERIFY(body.size() > 3 * 5000);
    QVERIFY(body.endsWith("%3D%3D"));
    TAlertFields second(body, "JF");
    second.Add("time", "10:30");
    second.AddInteger(IndexedKey("volume", 12), -2000000000);
    second.AddEscapingPunctuation("key&", "a.b", true);
    QCOMPARE(body, QByteArray("JF\r\ntime=10:30&volume12=-2000000000&key%26=a%2eb"));
}

void TestAlertFields::clockTextIsZeroPadded_data()
{
    QTest::addColumn<int>("stepMs");
    QTest::addColumn<QByteArray>("seconds");
    QTest::addColumn<QByteArray>("minutes");
    QTest::newRow("the open") << 0 << QByteArray("09:30:00") << QByteArray("09:30");
    QTest::newRow("milliseconds drop") << 61999 << QByteArray("09:31:01") << QByteArray("09:31");
    QTest::newRow("afternoon") << (6 * 3600 + 29 * 60 + 59) * 1000 + 999 << QByteArray("15:59:59")
                               << QByteArray("15:59");
}

void TestAlertFields::clockTextIsZeroPadded()
{
    QFETCH(int, stepMs);
    QFETCH(QByteArray, seconds);
    QFETCH(QByteArray, minutes);
    TMarketClock clock;
    clock.Advance(stepMs);
    const TMarketClock::TText text = clock.Text();
    QCOMPARE(text.Seconds().toByteArray(), seconds);
    QCOMPARE(text.Minutes().toByteArray(), minutes);
}

QTEST_GUILESS_MAIN(TestAlertFields)
#include "tst_AlertFields.moc"
