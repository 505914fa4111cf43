#include "client/core/TopListColumns.h"

#include <QtTest>

class TestTopListColumns : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splitCommaText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("commas") << "0,11,12,13" << QStringList({"0", "11", "12", "13"});
        QTest::newRow("blanks") << "1 2\t3" << QStringList({"1", "2", "3"});
        QTest::newRow("blanks around commas") << "1 , 2,\t3" << QStringList({"1", "2", "3"});
        QTest::newRow("outer blanks dropped") << "  4, 5 \r\n" << QStringList({"4", "5"});
        QTest::newRow("two commas enclose an empty item") << "1,,2" << QStringList({"1", "", "2"});
        QTest::newRow("comma and blank enclose an empty item") << "1, ,2" << QStringList({"1", "", "2"});
        QTest::newRow("leading comma") << ",1" << QStringList({"", "1"});
        QTest::newRow("trailing comma") << "1," << QStringList({"1", ""});
        QTest::newRow("trailing comma before blanks") << "1, " << QStringList({"1", ""});
        QTest::newRow("quoted with comma and blank") << "\"a, b\",c" << QStringList({"a, b", "c"});
        QTest::newRow("doubled quote") << "\"say \"\"hi\"\"\"" << QStringList({"say \"hi\""});
        QTest::newRow("unclosed quote runs to the end") << "1,\"2, 3" << QStringList({"1", "2, 3"});
        QTest::newRow("text after a closing quote") << "\"1\"2" << QStringList({"1", "2"});
        QTest::newRow("empty") << "" << QStringList();
        QTest::newRow("only blanks") << " \t " << QStringList();
    }

    void splitCommaText()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, items);
        QCOMPARE(SplitCommaText(text), items);
    }

    void columnMapFromSetting_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QVector<int>>("map");
        QTest::newRow("chosen columns") << "0,11,12,13" << QVector<int>({0, 11, 12, 13});
        QTest::newRow("empty setting") << "" << QVector<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
        QTest::newRow("not a number") << "x" << QVector<int>({0});
        QTest::newRow("empty item") << "3,,4" << QVector<int>({3, 0, 4});
        QTest::newRow("hexadecimal and sign") << "$E -1" << QVector<int>({14, -1});
        QTest::newRow("unknown id kept") << "99" << QVector<int>({99});
        QTest::newRow("too many") << QStringLiteral("5,").repeated(100000) << QVector<int>(MostTopListColumns, 5);
    }

    void columnMapFromSetting()
    {
        QFETCH(QString, setting);
        QFETCH(QVector<int>, map);
        QCOMPARE(ColumnMapFromSetting(setting), map);
    }
};

QTEST_GUILESS_MAIN(TestTopListColumns)
#include "tst_TopListColumns.moc"
