#include "client/ui/desktop/MonitorFit.h"

#include <QtTest>

// Two monitors side by side: a 1920x1080 one at the origin and a 1280x1024 one to its
// right, a little lower.
namespace {

const QRect Left(0, 0, 1920, 1080);
const QRect Right(1920, 100, 1280, 1024);

// An alert window's first size with its frame, and the main window's frame in the
// top-left corner where a first run puts it.
const QSize AlertFrame(409, 514);
const QRect MainFrame(0, 0, 348, 301);

} // namespace

class TestMonitorFit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fitsOntoTheMonitor_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QPoint>("fitted");

        QTest::newRow("inside stays") << QRect(100, 200, 400, 300) << QPoint(100, 200);
        QTest::newRow("touching the right edge stays") << QRect(1520, 0, 400, 300) << QPoint(1520, 0);
        QTest::newRow("past the right edge") << QRect(1700, 50, 400, 300) << QPoint(1520, 50);
        QTest::newRow("past the bottom edge") << QRect(10, 900, 400, 300) << QPoint(10, 780);
        QTest::newRow("left of the monitor") << QRect(-150, 50, 400, 300) << QPoint(0, 50);
        QTest::newRow("above the monitor") << QRect(50, -40, 400, 300) << QPoint(50, 0);
        QTest::newRow("off both corner edges") << QRect(1800, 1000, 400, 300) << QPoint(1520, 780);
        // Both tests look at the old position; a window wider than its monitor that
        // starts inside ends flush right with its left edge off the monitor ...
        QTest::newRow("wider, starting inside") << QRect(100, 0, 2000, 300) << QPoint(-80, 0);
        // ... while one that starts left of it is aligned with the left edge instead.
        QTest::newRow("wider, starting left") << QRect(-10, 0, 2000, 300) << QPoint(0, 0);
        QTest::newRow("taller, starting inside") << QRect(0, 20, 300, 1200) << QPoint(0, -120);
    }

    void fitsOntoTheMonitor()
    {
        QFETCH(QRect, window);
        QFETCH(QPoint, fitted);
        QCOMPARE(FitOntoMonitor(window, Left), fitted);
    }

    void fitsOntoAMonitorAwayFromTheOrigin()
    {
        QCOMPARE(FitOntoMonitor(QRect(3000, 50, 400, 300), Right), QPoint(2800, 100));
        QCOMPARE(FitOntoMonitor(QRect(1900, 500, 400, 300), Right), QPoint(1920, 500));
    }

    void picksTheMonitorHoldingTheWindow_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QRect>("monitor");

        QTest::newRow("wholly on the left") << QRect(100, 100, 400, 300) << Left;
        QTest::newRow("wholly on the right") << QRect(2000, 200, 400, 300) << Right;
        QTest::newRow("mostly on the right") << QRect(1800, 200, 400, 300) << Right;
        QTest::newRow("mostly on the left") << QRect(1700, 200, 400, 300) << Left;
        QTest::newRow("off every screen, nearest left") << QRect(-3000, 300, 400, 300) << Left;
        QTest::newRow("off every screen, nearest right") << QRect(4000, 300, 400, 300) << Right;
        // Below the left monitor and closer to it than to the lower right one.
        QTest::newRow("below both, nearer left") << QRect(1000, 1200, 400, 300) << Left;
        QTest::newRow("below both, nearer right") << QRect(2500, 1300, 400, 300) << Right;
    }

    void picksTheMonitorHoldingTheWindow()
    {
        QFETCH(QRect, window);
        QFETCH(QRect, monitor);
        QCOMPARE(MonitorOf(window, {Left, Right}), monitor);
    }

    // Screens are given in Qt's logical pixels: a device's pixels divided by its scale.
    void firstStartTilesStayOnTheScreenAndOffEachOther_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("main");
        QTest::addColumn<int>("count");

        const int panel = 32;
        const QRect laptop(0, 0, 1366, 768 - panel);
        const qreal ratio = 2;
        const QRect scaled(0, 0, qRound(1920 / ratio), qRound((1080 - panel) / ratio));
        QTest::newRow("1366x768, the demo's seven") << laptop << MainFrame << 7;
        QTest::newRow("1366x768, one hundred") << laptop << MainFrame << 100;
        QTest::newRow("1920x1080 at 2x, seven") << scaled << MainFrame << 7;
        QTest::newRow("1920x1080 at 2x, one") << scaled << MainFrame << 1;
        QTest::newRow("main window right, tiles left") << laptop << QRect(1000, 200, 348, 301) << 3;
        QTest::newRow("main window below, tiles above") << laptop << QRect(0, 500, 1366, 236) << 3;
        QTest::newRow("away from the origin") << Right << QRect(1920, 100, 348, 301) << 7;
    }

    void firstStartTilesStayOnTheScreenAndOffEachOther()
    {
        QFETCH(QRect, available);
        QFETCH(QRect, main);
        QFETCH(int, count);
        const QVector<QRect> tiles = TileBeside(available, main, QVector<QSize>(count, AlertFrame));
        QCOMPARE(tiles.size(), count);
        for (int i = 0; i < count; ++i) {
            const QRect &tile = tiles[i];
            QVERIFY(!tile.isEmpty() && available.contains(tile) && !tile.intersects(main));
            // A few windows are shrunk evenly, none to a sliver of its width.
            QVERIFY2(count > 7 || tile.width() >= AlertFrame.width() / 3, qPrintable(QString::number(tile.width())));
            for (int j = 0; j < i; ++j)
                QVERIFY(!tile.intersects(tiles[j]));
        }
    }

    void tilesKeepTheirSizeWhenThereIsRoom()
    {
        QCOMPARE(TileBeside(Left, MainFrame, {AlertFrame, AlertFrame}),
                 (QVector<QRect>{QRect(QPoint(348, 0), AlertFrame), QRect(QPoint(348, 540), AlertFrame)}));
        // Beside a main window at the right, the first column stands next to it.
        QCOMPARE(TileBeside(Left, QRect(1500, 0, 420, 300), {AlertFrame}).value(0).right(), 1499);
    }
};

QTEST_MAIN(TestMonitorFit)
#include "tst_MonitorFit.moc"
