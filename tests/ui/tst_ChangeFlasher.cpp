#include "client/ui/grid/TGridFrame.h"
#include "client/ui/grids/TChangeFlasher.h"
#include "client/ui/windows/TAlertForm.h"
#include "client/ui/windows/TDisplayOptionsMenu.h"
#include "../shared/support/FakeClock.h"
#include "support/TRecordingCanvas.h"
#include "support/TTestWindowServices.h"

#include <QAction>
#include <QtTest>

class TestChangeFlasher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A window of a kind whose numbers change in place takes two alerts; the cell at
    // (col, row) then flashes up (1), down (-1) or not at all (0), and is back to its
    // own colour after the flash.
    void aChangedCellFlashesAndFadesBack_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<bool>("freeze");
        QTest::addColumn<bool>("flashOff");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("direction");

        const QByteArray points = "display=pointslist\n";
        const QByteArray ibmPoints = "symbol0=IBM&last0=20&change0=1";
        QTest::newRow("top list: price up") << points << ibmPoints << QByteArray("symbol0=IBM&last0=21&change0=1")
                                            << false << false << 1 << 1 << 1;
        QTest::newRow("top list: change down") << points << ibmPoints
                                               << QByteArray("symbol0=IBM&last0=20&change0=-1") << false << false << 2
                                               << 1 << -1;
        QTest::newRow("top list: a row entering") << points << ibmPoints
                                                  << QByteArray("symbol0=DELL&last0=5&change0=1&symbol1=IBM&last1=20&"
                                                                "change1=1")
                                                  << false << false << 1 << 1 << 0;
        QTest::newRow("top list: flashing turned off") << points << ibmPoints
                                                       << QByteArray("symbol0=IBM&last0=21&change0=1") << false << true
                                                       << 1 << 1 << 0;

        const QByteArray set = "display=set\n";
        const QByteArray ibmBand = "action=add&symbol=IBM&last=20&prev_close=19&dist_from_bb=1";
        QTest::newRow("band set: last down") << set << ibmBand
                                             << QByteArray("action=add&symbol=IBM&last=19&prev_close=19&dist_from_bb=1")
                                             << false << false << 1 << 1 << -1;
        QTest::newRow("band set: distance up") << set << ibmBand
                                               << QByteArray("action=add&symbol=IBM&last=20&prev_close=19&"
                                                             "dist_from_bb=2")
                                               << false << false << 3 << 1 << 1;

        const QByteArray smb = "display=smb\ncolumns=0,11,13\nignore_sort_timer=1\n";
        const QByteArray ibmSmb = "symbol0=IBM&last0=20&volume0=100";
        QTest::newRow("full top list: last up") << smb << ibmSmb << QByteArray("symbol0=IBM&last0=21&volume0=100")
                                                << false << false << 1 << 1 << 1;
        QTest::newRow("full top list: volume up") << smb << ibmSmb << QByteArray("symbol0=IBM&last0=20&volume0=200")
                                                  << false << false << 2 << 1 << 1;
        QTest::newRow("full top list: frozen") << smb << ibmSmb << QByteArray("symbol0=IBM&last0=21&volume0=100")
                                               << true << false << 1 << 1 << 0;
    }

    void aChangedCellFlashesAndFadesBack()
    {
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(bool, freeze);
        QFETCH(bool, flashOff);
        QFETCH(int, col);
        QFETCH(int, row);
        QFETCH(int, direction);

        FakeClock clock;
        TTestWindowServices world;
        TAlertForm form(world.Services());
        form.LoadConfiguration(TIniFile::FromText("[W]\nsubscription=F\n" + section), "W");
        QAction *flashChanges = form.DisplayOptions()->FlashChangesAction();
        QVERIFY(flashChanges && flashChanges->isChecked());
        if (flashOff)
            flashChanges->trigger();
        if (freeze)
            form.FreezeAction()->trigger();

        form.HandleAlert("F\r\n" + first);
        const TColor own = PaintOneCell(*form.Grid(), col, row).Background;
        clock.Advance(1000);
        form.HandleAlert("F\r\n" + second);
        const TColor shown = PaintOneCell(*form.Grid(), col, row).Background;
        if (direction == 0) {
            QCOMPARE(shown, own);
        } else {
            QVERIFY(shown != own);
            QCOMPARE(GreenOf(shown) > RedOf(shown), direction > 0);
        }
        clock.Advance(TCellFlashes::DurationMs);
        QCOMPARE(PaintOneCell(*form.Grid(), col, row).Background, own);
    }

    void onlyListsWhoseNumbersChangeInPlaceOfferFlashing()
    {
        TTestWindowServices world;
        for (const QByteArray display : {"", "symbol", "simplelist", "jf-simplelist"}) {
            TAlertForm form(world.Services());
            form.LoadConfiguration(TIniFile::FromText("[W]\ndisplay=" + display + "\n"), "W");
            QVERIFY2(!form.DisplayOptions()->FlashChangesAction(), display.constData());
        }
    }
};

QTEST_MAIN(TestChangeFlasher)
#include "tst_ChangeFlasher.moc"
