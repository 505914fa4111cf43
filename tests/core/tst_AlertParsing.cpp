#include "client/core/AlertParsing.h"
#include "shared/AlertBody.h"
#include "shared/tHashTable.h"

#include <QLocale>
#include <QtTest>

#include <cmath>
#include <cstring>

namespace {

quint64 Bits(double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

} // namespace

class TestAlertParsing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void fieldsAreSplitThenDecoded_data()
    {
        QTest::addColumn<QByteArray>("fieldList");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<bool>("present");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("later item wins") << QByteArray("symbol=A&symbol=B") << QByteArray("symbol") << true << QByteArray("B");
        QTest::newRow("lower-case escape") << QByteArray("time=10%3a05") << QByteArray("time") << true << QByteArray("10:05");
        QTest::newRow("empty value kept") << QByteArray("last=&x=1") << QByteArray("last") << true << QByteArray();
        QTest::newRow("no equals: skipped") << QByteArray("a=1&last&b=2") << QByteArray("last") << false << QByteArray();
        QTest::newRow("further equals") << QByteArray("x=a=b") << QByteArray("x") << true << QByteArray("a=b");
        QTest::newRow("escaped separators") << QByteArray("k%3D1=v%26w") << QByteArray("k=1") << true << QByteArray("v&w");
        QTest::newRow("case-sensitive keys") << QByteArray("Symbol=A") << QByteArray("symbol") << false << QByteArray();
        QTest::newRow("empty items") << QByteArray("&&a=1&&") << QByteArray("a") << true << QByteArray("1");
        QTest::newRow("lone percent at the end") << QByteArray("p=50%") << QByteArray("p") << true << QByteArray("50%");
        QTest::newRow("not hexadecimal") << QByteArray("p=%zz%4") << QByteArray("p") << true << QByteArray("%zz%4");
        QTest::newRow("plus stays") << QByteArray("p=a+b") << QByteArray("p") << true << QByteArray("a+b");
        QTest::newRow("escaped key, later plain one wins")
            << QByteArray("k%41=1&kA=2") << QByteArray("kA") << true << QByteArray("2");
        QTest::newRow("plain key, later escaped one wins")
            << QByteArray("kA=1&k%41=2") << QByteArray("kA") << true << QByteArray("2");
    }

    // The same grammar in the table some callers fill and in the reader the alert
    // windows use.
    void fieldsAreSplitThenDecoded()
    {
        QFETCH(QByteArray, fieldList);
        QFETCH(QByteArray, key);
        tHashTable table;
        ParseAlertFields(fieldList, table);
        QTEST(table.ContainsKey(key), "present");
        QTEST(table.Get(key), "value");
        const TFieldReader fields(fieldList);
        QTEST(fields.Text(key), "value");
        QTEST(fields.TextView(key).toByteArray(), "value");
    }

    // Views of escaped texts live in the reader's own buffers and stay valid while it
    // reads on; plain ones are views into the list itself. The next alert's fields
    // replace the last one's entirely, however many fewer it has.
    void readerServesAlertAfterAlert()
    {
        TFieldReader fields;
        const QByteArray first = "a=1%262&b=x%3Dy&c=plain&n=%31.5&i=%34%32";
        fields.Read(first);
        const QByteArrayView a = fields.TextView("a");
        const QByteArrayView b = fields.TextView("b");
        const QByteArrayView c = fields.TextView("c");
        QCOMPARE(a, QByteArrayView("1&2"));
        QCOMPARE(b, QByteArrayView("x=y"));
        QCOMPARE(c.data(), first.constData() + first.indexOf("plain"));
        QCOMPARE(fields.Real("n"), 1.5);
        QCOMPARE(fields.Integer("i"), 42);

        QByteArray large;
        for (int i = 0; i < 1000; ++i)
            large += "&symbol" + QByteArray::number(i) + "=S" + QByteArray::number(i);
        fields.Read(large);
        QCOMPARE(fields.Text("symbol999"), QByteArray("S999"));
        QCOMPARE(fields.Text("a"), QByteArray());

        fields.Read("last=2");
        QCOMPARE(fields.Text("symbol5"), QByteArray());
        QCOMPARE(fields.Real("last"), 2.0);
        QVERIFY(std::isnan(fields.Real("symbol5")));
    }

    void bodySplitsIntoCategoryAndFieldLine_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("category");
        QTest::addColumn<QByteArray>("fieldLine");
        QTest::newRow("later lines ignored") << QByteArray("QS\r\na=1&b=2\r\nc=3") << QByteArray("QS") << QByteArray("a=1&b=2");
        QTest::newRow("no line break") << QByteArray("QS") << QByteArray("QS") << QByteArray();
        QTest::newRow("empty category") << QByteArray("\r\na=1") << QByteArray() << QByteArray("a=1");
        QTest::newRow("a lone CR or LF is no break") << QByteArray("Q\rS\r\na=1&x\ny=2") << QByteArray("Q\rS") << QByteArray("a=1&x\ny=2");
        QTest::newRow("break at the end") << QByteArray("QS\r\n") << QByteArray("QS") << QByteArray();
        QTest::newRow("CR at the very end") << QByteArray("QS\r\na=1&b\r") << QByteArray("QS") << QByteArray("a=1&b\r");
        QTest::newRow("CR CR LF") << QByteArray("QS\r\r\na=1") << QByteArray("QS\r") << QByteArray("a=1");
    }

    void bodySplitsIntoCategoryAndFieldLine()
    {
        QFETCH(QByteArray, body);
        const TAlertBody alert = ReadAlertBody(body);
        const QByteArrayView fieldLine = alert.Fields;
        QTEST(alert.Category.toByteArray(), "category");
        QTEST(fieldLine.toByteArray(), "fieldLine");
        // Read from the view, the fields are the line's and nothing after it.
        const TFieldReader fields(fieldLine);
        QCOMPARE(fields.Text("c"), QByteArray());
        QCOMPARE(fields.Text("a"), fieldLine.isEmpty() ? QByteArray() : QByteArray("1"));
    }

    void realsFollowTheRegionalSeparator_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("expected"); // NaN: must not convert
        const double nan = MissingReal();
        QTest::newRow("point") << "en_US" << QByteArray("12.5") << 12.5;
        QTest::newRow("blanks, exponent") << "en_US" << QByteArray("  -1.5E+2 ") << -150.0;
        QTest::newRow("comma under point") << "en_US" << QByteArray("12,5") << nan;
        QTest::newRow("empty") << "en_US" << QByteArray() << nan;
        QTest::newRow("trailing text") << "en_US" << QByteArray("12.5x") << nan;
        QTest::newRow("inf") << "en_US" << QByteArray("inf") << nan;
        QTest::newRow("out of range") << "en_US" << QByteArray("1e999") << nan;
        QTest::newRow("point under comma") << "de_DE" << QByteArray("12.5") << nan;
        QTest::newRow("comma") << "de_DE" << QByteArray("-2,5e-1") << -0.25;
    }

    void realsFollowTheRegionalSeparator()
    {
        QFETCH(QString, locale);
        QFETCH(QByteArray, text);
        QFETCH(double, expected);
        QLocale::setDefault(QLocale(locale));
        double value = -999;
        QCOMPARE(ParseLocalReal(text, value), !std::isnan(expected));
        QCOMPARE(value, std::isnan(expected) ? -999.0 : expected);
    }

    // The separator is taken once per alert; it must still follow every change of
    // the default locale, and a separator of several bytes must read as well.
    void realsWithTheSeparatorGiven_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QByteArray>("separator");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("expected"); // NaN: must not convert
        const double nan = MissingReal();
        QTest::newRow("point") << "en_US" << QByteArray(".") << QByteArray(" 2.5e1 ") << 25.0;
        QTest::newRow("comma") << "de_DE" << QByteArray(",") << QByteArray("-1,25") << -1.25;
        QTest::newRow("point under comma") << "de_DE" << QByteArray(",") << QByteArray("1.25") << nan;
        QTest::newRow("comma back to point") << "en_US" << QByteArray(".") << QByteArray("1,25") << nan;
        QTest::newRow("two-byte separator") << "ar_EG" << QByteArray("\xD9\xAB") << QByteArray("3\xD9\xAB" "5") << 3.5;
        QTest::newRow("half a separator") << "ar_EG" << QByteArray("\xD9\xAB") << QByteArray("3\xD9" "5") << nan;
        QTest::newRow("separator alone") << "de_DE" << QByteArray(",") << QByteArray(",") << nan;
        QTest::newRow("no digits after it") << "de_DE" << QByteArray(",") << QByteArray("7,") << 7.0;
    }

    void realsWithTheSeparatorGiven()
    {
        QFETCH(QString, locale);
        QFETCH(QByteArray, separator);
        QFETCH(QByteArray, text);
        QFETCH(double, expected);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(RegionalDecimalSeparator(), separator);
        double value = -999;
        QCOMPARE(ParseReal(text, separator, value), !std::isnan(expected));
        QCOMPARE(value, std::isnan(expected) ? -999.0 : expected);
    }

    void decimalsReadAsTheStandardConversionReadsThem_data()
    {
        QTest::addColumn<QByteArray>("text");
        for (const char *text : {"-0", "+5", "0.1", ".5", "5.", "0.000000000000001", "123456789012345",
                                 "1234567890123456", "9007199254740993", "99999999999999.9", "-0.30000000000000004",
                                 "2.675", "1.005", " 42.42 "})
            QTest::newRow(text) << QByteArray(text);
        // Decimals of every length up to seventeen digits, the separator anywhere.
        QRandomGenerator random(20261207);
        for (int i = 0; i < 40; ++i) {
            const int digits = 1 + random.bounded(17);
            QByteArray text = random.bounded(2) ? "-" : "";
            const int separatorAfter = random.bounded(digits + 1);
            for (int d = 0; d < digits; ++d) {
                if (d == separatorAfter)
                    text += '.';
                text += char('0' + random.bounded(10));
            }
            QTest::newRow(text.constData()) << text;
        }
    }

    void decimalsReadAsTheStandardConversionReadsThem()
    {
        QFETCH(QByteArray, text);
        bool ok = false;
        const double standard = text.trimmed().toDouble(&ok);
        QVERIFY(ok);
        double value = 0;
        QVERIFY(ParseReal(text, ".", value));
        // Bit for bit, the sign of a zero included.
        QCOMPARE(Bits(value), Bits(standard));
    }
};

QTEST_GUILESS_MAIN(TestAlertParsing)
#include "tst_AlertParsing.moc"
