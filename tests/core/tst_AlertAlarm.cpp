#include "client/core/AlertSummary.h"
#include "client/core/TAlertAlarm.h"
#include "client/core/TSortedSymbolList.h"
#include "client/core/TWindowList.h"
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
        QTest::addColumn<QString>("display");

        QTest::newRow("quick strike") << QByteArray("QS\r\nsymbol=IBM&last=12.5&prev_close=12&time=10%3A31%3A05")
                                      << QByteArray("IBM") << "Last 12.50  Change +0.50  10:31:05" << false << QStringLiteral("");
        QTest::newRow("simple list") << QByteArray("L\r\nsymbol=A&last=3&change=-0.25\r\nsymbol=B")
                                     << QByteArray("A") << "Last 3.00  Change -0.25" << false << QStringLiteral("simplelist");
        QTest::newRow("top row of a list") << QByteArray("P\r\nsymbol0=TOP&last0=7&change0=1&symbol1=B&last1=9")
                                           << QByteArray("TOP") << "Last 7.00  Change +1.00" << false << QStringLiteral("pointslist");
        QTest::newRow("band added") << QByteArray("BB\r\naction=add&symbol=X&last=1&prev_close=1")
                                    << QByteArray("X") << "Last 1.00  Change 0.00" << false << QStringLiteral("set");
        QTest::newRow("band deleted") << QByteArray("BB\r\naction=delete&symbol=X") << QByteArray("X") << "" << true << QStringLiteral("set");
        QTest::newRow("band, other action") << QByteArray("BB\r\naction=move&symbol=X") << QByteArray("X") << "" << true << QStringLiteral("set");
        QTest::newRow("no fields") << QByteArray("QS") << QByteArray() << "" << false << QStringLiteral("");
    }

    void summaryNamesTheSymbolAndItsFigures()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, display);
        const TSortedSymbolList exclude;
        TWindowList window(exclude);
        window.SetDisplay(display);
        const TAlertSummary summary = window.Summarize(body);
        QTEST(summary.Symbol, "symbol");
        QTEST(summary.Figures, "figures");
        QTEST(summary.NoNews, "noNews");
    }

    // Each step: milliseconds, then a symbol's alert or "tick" (the window's clock).
    // Outcomes: "-" for no call-out (cooling, or held back and counted), "now" or
    // "now+N" (naming N held back), and for a tick the number it calls out.
    void callOutsArePacedPerSymbolAndPerWindow_data()
    {
        QTest::addColumn<int>("cooldownSeconds");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("outcomes");

        QTest::newRow("a burst of new symbols calls out once a second")
            << 60 << QStringList({"0 A", "0 B", "500 C", "500 A", "999 tick", "1000 D", "1500 E", "2000 tick", "2000 tick"})
            << QStringList({"now", "-", "-", "-", "0", "now+2", "-", "1", "0"});
        QTest::newRow("cooldowns end in the order they started")
            << 10 << QStringList({"0 A", "5000 B", "9999 A", "10000 A", "14999 B", "15000 B"})
            << QStringList({"now", "now", "-", "now", "-", "now"});
        QTest::newRow("no cooldown")
            << 0 << QStringList({"0 A", "1000 A", "1500 A", "2500 A"})
            << QStringList({"now", "now", "-", "now+1"});
    }

    void callOutsArePacedPerSymbolAndPerWindow()
    {
        QFETCH(int, cooldownSeconds);
        QFETCH(QStringList, steps);
        TSortedSymbolList exclude;
        TAlertAlarm alarm(exclude);
        alarm.LoadConfiguration(TIniFile::FromText("[W]\nsound=beep\nnotify cooldown=" + QByteArray::number(cooldownSeconds)),
                                "W");
        qint64 now = 0;
        alarm.SetClock([&now] { return now; });
        QStringList outcomes;
        for (const QString &step : steps) {
            now = step.section(QLatin1Char(' '), 0, 0).toLongLong();
            const QString what = step.section(QLatin1Char(' '), 1);
            if (what == QLatin1String("tick")) {
                outcomes << QString::number(alarm.TakeHeldBack());
                continue;
            }
            const TAlertAlarm::TCallOut callOut = alarm.Admit(Alert(what.toUtf8()));
            outcomes << (!callOut.Now       ? QStringLiteral("-")
                         : callOut.HeldBack ? QStringLiteral("now+%1").arg(callOut.HeldBack)
                                            : QStringLiteral("now"));
        }
        QTEST(outcomes, "outcomes");
    }

    void manySymbolsKeepTheirCooldowns()
    {
        TSortedSymbolList exclude;
        TAlertAlarm alarm(exclude);
        alarm.LoadConfiguration(TIniFile::FromText("[W]\nnotify=1"), "W");
        qint64 now = 0;
        alarm.SetClock([&now] { return now; });
        // Within one second, in the order of their names.
        QVERIFY(alarm.Admit(Alert("S0")).Now);
        for (int i = 1; i < 5000; ++i) {
            now = i / 10;
            QVERIFY(!alarm.Admit(Alert("S" + QByteArray::number(i))).Now);
        }
        now = 30000;
        const TAlertAlarm::TCallOut callOut = alarm.Admit(Alert("NEW"));
        QVERIFY(callOut.Now);
        QCOMPARE(callOut.HeldBack, 4999);
        // Held back, they cool down all the same.
        now = 40000;
        QVERIFY(!alarm.Admit(Alert("S0")).Now && !alarm.Admit(Alert("S4999")).Now);
        QCOMPARE(alarm.TakeHeldBack(), 0);
        // S0 has cooled, S4999 (499 ms later) not yet.
        now = 60000;
        QVERIFY(alarm.Admit(Alert("S0")).Now);
        QVERIFY(!alarm.Admit(Alert("S4999")).Now && !alarm.Admit(Alert("NEW")).Now);
        QCOMPARE(alarm.TakeHeldBack(), 0);
    }
};

QTEST_MAIN(TestAlertAlarm)
#include "tst_AlertAlarm.moc"
