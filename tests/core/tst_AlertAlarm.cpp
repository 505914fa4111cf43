#include "client/core/AlertSummary.h"
#include "client/core/TAlertAlarm.h"
#include "shared/TIniFile.h"

#include <QtTest>

class TestAlertAlarm : public QObject
{
    Q_OBJECT

    static TAlertSummary Alert(const QByteArray &symbol) { return TAlertSummary{symbol, QString(), false}; }

private Q_SLOTS:
    void summaryNamesTheSymbolAndItsFigures_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("symbol");
        QTest::addColumn<QString>("figures");
        QTest::addColumn<bool>("noNews");

        QTest::newRow("quick strike") << QByteArray("QS\r\nsymbol=IBM&last=12.5&prev_close=12&time=10%3A31%3A05")
                                      << QByteArray("IBM") << "Last 12.50  Change +0.50  10:31:05" << false;
        QTest::newRow("simple list") << QByteArray("L\r\nsymbol=A&last=3&change=-0.25\r\nsymbol=B")
                                     << QByteArray("A") << "Last 3.00  Change -0.25" << false;
        QTest::newRow("top row of a list") << QByteArray("P\r\nsymbol0=TOP&last0=7&change0=1&symbol1=B&last1=9")
                                           << QByteArray("TOP") << "Last 7.00  Change +1.00" << false;
        QTest::newRow("band added") << QByteArray("BB\r\naction=add&symbol=X&last=1&prev_close=1")
                                    << QByteArray("X") << "Last 1.00  Change 0.00" << false;
        QTest::newRow("band deleted") << QByteArray("BB\r\naction=delete&symbol=X") << QByteArray("X") << "" << true;
        QTest::newRow("band, other action") << QByteArray("BB\r\naction=move&symbol=X") << QByteArray("X") << "" << true;
        QTest::newRow("no fields") << QByteArray("QS") << QByteArray() << "" << false;
    }

    void summaryNamesTheSymbolAndItsFigures()
    {
        QFETCH(QByteArray, body);
        const TAlertSummary summary = SummarizeAlert(body);
        QTEST(summary.Symbol, "symbol");
        QTEST(summary.Figures, "figures");
        QTEST(summary.NoNews, "noNews");
    }

    void manySymbolsKeepTheirCooldowns()
    {
        TSortedSymbolList exclude;
        TAlertAlarm alarm(exclude);
        alarm.LoadConfiguration(TIniFile::FromText("[W]\nnotify=1"), "W");
        qint64 now = 0;
        alarm.SetClock([&now] { return now; });
        for (int i = 0; i < 5000; ++i)
            QVERIFY(alarm.Admit(Alert("S" + QByteArray::number(i))));
        now = 30000;
        // Remembering this one makes room among the others, none of them cooled yet.
        QVERIFY(alarm.Admit(Alert("NEW")));
        QVERIFY(!alarm.Admit(Alert("S0")) && !alarm.Admit(Alert("S4999")));
        now = 60000;
        QVERIFY(alarm.Admit(Alert("S0")) && !alarm.Admit(Alert("NEW")));
    }
};

QTEST_MAIN(TestAlertAlarm)
#include "tst_AlertAlarm.moc"
