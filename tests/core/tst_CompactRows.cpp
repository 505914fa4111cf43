#include "client/core/AlertParsing.h"
#include "client/core/EntryRecords.h"
#include "client/core/TExactDecimal.h"
#include "client/core/TInternedText.h"

#include <QtTest>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

// The pieces that keep a newest-first row small must give back exactly what they
// were given: the grids, exports and links show and send it.
class TestCompactRows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Numbers as an alert carries them, read by the alert parser, kept and read back.
    void decimalsComeBackExactly_data()
    {
        QTest::addColumn<QByteArray>("number");

        for (const char *number :
             {"0", "-0", "12.34", "-0.5", "12.50", "+7", "0.1", "0.00000000000001", "99999.99", "134217727",
              "-13421.7727", "134217728", "-134217728.5", "1.23456789012345", "123456789012345", "1e-20",
              "6.02e23", "0.3333333333333333333"})
            QTest::newRow(number) << QByteArray(number);
    }
    void decimalsComeBackExactly()
    {
        QFETCH(QByteArray, number);
        double value = 0;
        QVERIFY(ParseReal(number, ".", value));
        const TExactDecimal kept(value);
        QVERIFY2(SameBits(kept.Value(), value), qPrintable(QString::number(kept.Value(), 'g', 17)));
        // Kept twice, a value that does not fit a decimal is the same figure.
        QVERIFY(SameBits(TExactDecimal(value).Value(), kept.Value()));
    }

    void missingFiguresStayMissing()
    {
        QVERIFY(std::isnan(TExactDecimal().Value()));
        QVERIFY(std::isnan(TExactDecimal(MissingReal()).Value()));
        QVERIFY(std::isinf(TExactDecimal(-std::numeric_limits<double>::infinity()).Value()));
    }

    void textsComeBackWithEveryByte_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("other");

        QTest::newRow("empty") << QByteArray() << QByteArray("A");
        QTest::newRow("symbol") << QByteArray("IBM") << QByteArray("IBM ");
        QTest::newRow("NUL and FF") << QByteArray("A\0\xFF", 3) << QByteArray("A");
        QTest::newRow("only NUL") << QByteArray("\0", 1) << QByteArray();
        QTest::newRow("time") << QByteArray("\xFF" "09:30") << QByteArray("09:30");
    }
    void textsComeBackWithEveryByte()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, other);
        const TInternedText text(bytes);
        QCOMPARE(text.Bytes(), bytes);
        QCOMPARE(text.isEmpty(), bytes.isEmpty());
        // Equal bytes in another array are the same text; different bytes are not.
        QVERIFY(TInternedText(QByteArray(bytes.constData(), bytes.size())) == text);
        QVERIFY(TInternedText(other) != text);
        QCOMPARE(TInternedText(other).Bytes(), other);
    }

    // A JF marker row keeps its gap where an alert's figures go.
    void jfMarkersKeepTheirGap()
    {
        const TLinkGap gap{46083.43125, 46083.4375000001};
        const TJFEntry marker = TJFEntry::GapMarker(gap);
        QVERIFY(marker.IsGapMarker());
        QVERIFY(SameBits(marker.Gap().Lost, gap.Lost) && SameBits(marker.Gap().Back, gap.Back));
        TJFEntry alert;
        alert.Change = 0;
        alert.BB = 0;
        QVERIFY(!alert.IsGapMarker() && !alert.Gap().IsMarker());
    }
};

QTEST_GUILESS_MAIN(TestCompactRows)
#include "tst_CompactRows.moc"
