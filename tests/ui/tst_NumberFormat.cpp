#include "client/ui/grid/NumberFormat.h"
#include "shared/Exception.h"

#include <QtTest>

#include <cmath>

class TestNumberFormat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void formatsWithTheLocaleSeparators_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");

        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const QLocale german(QLocale::German, QLocale::Germany);
        QTest::newRow("f has two decimals") << us << "%f" << 12.5 << "12.50";
        QTest::newRow("f has no thousands separator") << us << "%f" << 1234567.891 << "1234567.89";
        QTest::newRow(".01f is one decimal") << us << "%.01f" << -1.93 << "-1.9";
        QTest::newRow(".1f") << us << "%.1f" << 99.94 << "99.9";
        QTest::newRow("rounds to zero") << us << "%.01f" << -0.04 << "0.0";
        QTest::newRow("negative zero") << german << "%n" << -0.0 << "0,00";
        QTest::newRow("n groups thousands") << us << "%n" << 1234567.891 << "1,234,567.89";
        QTest::newRow(".0n whole number") << us << "%.0n" << 1234567.0 << "1,234,567";
        QTest::newRow("percent sign") << us << "%f%%" << -1.5 << "-1.50%";
        QTest::newRow("literal text around") << us << "x=%.1f!" << 3.14 << "x=3.1!";
        QTest::newRow("german f") << german << "%f" << 1234.5 << "1234,50";
        QTest::newRow("german n") << german << "%n" << 1234.5 << "1.234,50";
        // The C locale leaves out group separators unless asked; %n still groups.
        QTest::newRow("C locale n") << QLocale::c() << "%.0n" << 1234567.0 << "1,234,567";
    }

    void formatsWithTheLocaleSeparators()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, pattern);
        QFETCH(double, value);
        QFETCH(QString, expected);
        QLocale::setDefault(locale);
        QCOMPARE(FormatValues(pattern, {value}), expected);
    }

    void mixesNumbersAndTexts()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(FormatValues(QStringLiteral("%.2n%s"), {1.234567, QStringLiteral("M")}),
                 QStringLiteral("1.23M"));
        QCOMPARE(FormatValues(QStringLiteral("%.2n%s"), {999.999, QStringLiteral("K")}),
                 QStringLiteral("1,000.00K"));
        QCOMPARE(FormatValues(QStringLiteral("100%%"), {}), QStringLiteral("100%"));
    }

    void brokenPatternsAreAssertionErrors_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("textArgument");
        QTest::newRow("text for f") << "%f" << true;
        QTest::newRow("number for s") << "%s" << false;
        QTest::newRow("more directives than values") << "%f %f" << false;
        QTest::newRow("unknown directive") << "%q" << false;
        QTest::newRow("widths are not supported") << "%7.1f" << false;
        QTest::newRow("pattern ends in a directive") << "%.2" << false;
    }

    void brokenPatternsAreAssertionErrors()
    {
        QFETCH(QString, pattern);
        QFETCH(bool, textArgument);
        const TFormatArg arg = textArgument ? TFormatArg(QStringLiteral("x")) : TFormatArg(1.0);
        QVERIFY_THROWS_EXCEPTION(EAssertionFailed, FormatValues(pattern, {arg}));
    }
};

QTEST_GUILESS_MAIN(TestNumberFormat)
#include "tst_NumberFormat.moc"
