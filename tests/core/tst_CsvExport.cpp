#include "client/core/CsvExport.h"

#include <QtTest>

#include <cmath>

class TestCsvExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A symbol or text the server sent reaches a spreadsheet as text, and a pasted row
    // keeps the grid's columns; what the client formatted as a number stays as shown.
    void textCellsReachSpreadsheetsInert_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("number"); // NaN: a text cell
        QTest::addColumn<QByteArray>("csvRecord");
        QTest::addColumn<QString>("pasted");
        const double text = std::nan("");
        QTest::newRow("formula") << "=HYPERLINK(\"x\")" << text << QByteArray("IBM,\"'=HYPERLINK(\"\"x\"\")\"\r\n")
                                 << "IBM\t=HYPERLINK(\"x\")";
        QTest::newRow("at") << "@SUM(A1)" << text << QByteArray("IBM,'@SUM(A1)\r\n") << "IBM\t@SUM(A1)";
        QTest::newRow("plus") << "+1" << text << QByteArray("IBM,'+1\r\n") << "IBM\t+1";
        QTest::newRow("minus text") << "-1" << text << QByteArray("IBM,'-1\r\n") << "IBM\t-1";
        QTest::newRow("minus number") << "-1.00" << -1.0 << QByteArray("IBM,-1.00,-1\r\n") << "IBM\t-1.00";
        QTest::newRow("tab inside") << "AB\tC" << text << QByteArray("IBM,AB\tC\r\n") << "IBM\tAB C";
        QTest::newRow("tab first") << "\tAB" << text << QByteArray("IBM,'\tAB\r\n") << "IBM\t AB";
        QTest::newRow("carriage return first") << "\rAB" << text << QByteArray("IBM,\"'\rAB\"\r\n") << "IBM\t AB";
        QTest::newRow("line break") << "A\nB" << text << QByteArray("IBM,\"A\nB\"\r\n") << "IBM\tA B";
        QTest::newRow("plain") << "A-B" << text << QByteArray("IBM,A-B\r\n") << "IBM\tA-B";
    }

    void textCellsReachSpreadsheetsInert()
    {
        QFETCH(QString, text);
        QFETCH(double, number);
        TExportCell cell{text, std::nullopt};
        if (!std::isnan(number))
            cell.Number = number;
        const TExportRow row{{QStringLiteral("IBM"), std::nullopt}, cell};
        const QByteArray csv = CsvFromTable({{QStringLiteral("Symbol"), QStringLiteral("Cell")}, {row}});
        QTEST(csv.mid(csv.indexOf("\r\n") + 2), "csvRecord");
        QTEST(RowAsText(row), "pasted");
    }

    void numbersAreWrittenShortAndReadBack_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("exact"); // reads back as the same double
        QTest::newRow("price") << 1234.5678 << "1234.5678" << true;
        QTest::newRow("tenth") << 0.1 << "0.1" << true;
        QTest::newRow("eight decimals") << 0.00012345 << "0.00012345" << true;
        QTest::newRow("whole") << 2500000.0 << "2500000" << true;
        QTest::newRow("large") << 123456789012.25 << "123456789012.25" << true;
        QTest::newRow("exponent") << 1e21 << "1e+21" << true;
        QTest::newRow("change") << 12.73 - 12.30 << "0.43" << false;
        QTest::newRow("change of a dear stock") << 218.80 - 218.37 << "0.43" << false;
        QTest::newRow("change near a million") << 1000000.01 - 1000000.0 << "0.01" << false;
        QTest::newRow("percent change") << (12.73 - 12.30) / 12.30 * 100 << "3.49593496" << false;
        QTest::newRow("negative zero") << -0.0 << "0" << true;
        QTest::newRow("rounds to zero") << -1e-12 << "0" << false;
    }

    void numbersAreWrittenShortAndReadBack()
    {
        QFETCH(double, value);
        QFETCH(bool, exact);
        const QString text = NumberValueText(value);
        QTEST(text, "expected");
        if (exact)
            QCOMPARE(text.toDouble(), value);
    }

    void exportProposesTitleAndDay_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("expected");
        QTest::newRow("title") << "Quick" << "Quick 2026-12-08.csv";
        QTest::newRow("path characters") << " a/b\\c:d? " << "a_b_c_d_ 2026-12-08.csv";
        QTest::newRow("no title") << "" << "2026-12-08.csv";
    }

    void exportProposesTitleAndDay()
    {
        QFETCH(QString, title);
        QTEST(ProposedCsvName(title, QDate(2026, 12, 8)), "expected");
    }
};

QTEST_MAIN(TestCsvExport)
#include "tst_CsvExport.moc"
