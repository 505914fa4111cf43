#include "../shared/support/FakeClock.h"
#include "client/ui/windows/PaintLagReadout.h"
#include "shared/TPaintLag.h"

#include <QtTest>

class TestPaintLagReadout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void readout_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<qint64>("lagMs"); // -1: no repaint measured
        QTest::addColumn<qint64>("thenMs");
        QTest::addColumn<QString>("readout");

        const QString link = QStringLiteral("ping 12 ms, last alert 3 s ago");
        QTest::newRow("no repaint measured") << QStringLiteral("en_US") << qint64(-1) << qint64(0) << link;
        QTest::newRow("a lag") << QStringLiteral("en_US") << qint64(12) << qint64(0)
                               << link + QStringLiteral(", paint lag 12 ms");
        QTest::newRow("the locale's digit grouping") << QStringLiteral("de_DE") << qint64(1234) << qint64(0)
                                                     << link + QStringLiteral(", paint lag 1.234 ms");
        QTest::newRow("a minute after the last repaint") << QStringLiteral("en_US") << qint64(12) << qint64(60000)
                                                         << link;
    }
    void readout()
    {
        QFETCH(QString, locale);
        QFETCH(qint64, lagMs);
        QFETCH(qint64, thenMs);
        QFETCH(QString, readout);

        QLocale::setDefault(QLocale(locale));
        FakeClock clock;
        TPaintLag lag;
        if (lagMs >= 0)
            lag.Record(lagMs);
        clock.Advance(thenMs);
        const QString link = QStringLiteral("ping 12 ms, last alert 3 s ago");
        QCOMPARE(WithPaintLag(link, &lag), readout);
        QCOMPARE(WithPaintLag(link, nullptr), link);
    }
};

QTEST_GUILESS_MAIN(TestPaintLagReadout)
#include "tst_PaintLagReadout.moc"
