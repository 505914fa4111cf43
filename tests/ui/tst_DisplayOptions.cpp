#include "client/core/TSettingsStore.h"
#include "client/ui/grid/TGridFrame.h"
#include "client/ui/grids/TChangeFlasher.h"
#include "client/ui/windows/TAlertForm.h"
#include "client/ui/windows/TDisplayOptionsMenu.h"
#include "support/TRecordingCanvas.h"
#include "support/TTestWindowServices.h"

#include "../core/support/TStoreFolder.h"
#include "../shared/support/FakeClock.h"

#include <QAction>
#include <QMenu>
#include <QtTest>

namespace {

// The fold windows a window's Fold Bursts menu offers, and the one checked.
QStringList FoldItems(const TAlertForm &form, QString &checked)
{
    QStringList items;
    for (const QAction *item : form.DisplayOptions()->FoldBurstsMenu()->actions()) {
        items << item->text();
        if (item->isChecked())
            checked = item->text();
    }
    return items;
}

QAction *FoldItem(const TAlertForm &form, const QString &text)
{
    for (QAction *item : form.DisplayOptions()->FoldBurstsMenu()->actions())
        if (item->text() == text)
            return item;
    return nullptr;
}

} // namespace

class TestDisplayOptions : public QObject
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
        // Off until the trader turns it on.
        QVERIFY(flashChanges && !flashChanges->isChecked());
        if (!flashOff)
            flashChanges->trigger();
        if (freeze)
            form.FreezeAction()->trigger();

        form.HandleAlert(QByteArray("F\r\n" + first));
        const TColor own = PaintOneCell(*form.Grid(), col, row).Background;
        clock.Advance(1000);
        form.HandleAlert(QByteArray("F\r\n" + second));
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

    void eachKindOffersWhatItCanDo()
    {
        TTestWindowServices world;
        for (const QByteArray display : {"", "symbol", "simplelist", "jf-simplelist", "pointslist", "set", "smb"}) {
            TAlertForm form(world.Services());
            form.LoadConfiguration(TIniFile::FromText("[W]\ndisplay=" + display + "\n"), "W");
            const bool changesInPlace = display == "pointslist" || display == "set" || display == "smb";
            const bool folds = display == "" || display == "simplelist" || display == "jf-simplelist";
            QVERIFY2(bool(form.DisplayOptions()->FlashChangesAction()) == changesInPlace, display.constData());
            QVERIFY2(bool(form.DisplayOptions()->FoldBurstsMenu()) == folds, display.constData());
        }
    }

    // A QuickStrike window with "fold seconds"=10 folds three alerts of IBM into one
    // row that shows "×3" and still sends IBM when clicked; choosing Off stops folding.
    void aFoldedRowShowsItsCountAndSendsItsSymbol()
    {
        FakeClock clock;
        TTestWindowServices world;
        TAlertForm form(world.Services());
        form.LoadConfiguration(TIniFile::FromText("[W]\nsubscription=QS\nfold seconds=10\n"), "W");
        form.resize(400, 300);
        QString checked;
        QCOMPARE(FoldItems(form, checked), QStringList({"Off", "5 s", "10 s", "30 s"}));
        QCOMPARE(checked, QStringLiteral("10 s"));

        for (const char *body : {"QS\r\nsymbol=IBM&last=1", "QS\r\nsymbol=DELL&last=5", "QS\r\nsymbol=IBM&last=2",
                                 "QS\r\nsymbol=IBM&last=3"}) {
            form.HandleAlert(body);
            clock.Advance(2000);
        }
        QCOMPARE(form.Kind().RowCount(), 2);
        const TPaintedCell symbol = PaintOneCell(*form.Grid(), 0, 1);
        QCOMPARE(symbol.Texts.size(), 2);
        QCOMPARE(symbol.Texts[0].Text, QStringLiteral("IBM"));
        QCOMPARE(symbol.Texts[1].Text, QStringLiteral("×3"));
        QCOMPARE(CellText(*form.Grid(), 1, 1), QStringLiteral("3.00"));
        QCOMPARE(CellText(*form.Grid(), 0, 2), QStringLiteral("DELL"));

        QTest::mouseClick(form.Grid()->viewport(), Qt::LeftButton, {}, form.Grid()->CellRect(0, 1).center());
        QCOMPARE(world.SentSymbols, QStringList({"IBM"}));

        FoldItem(form, QStringLiteral("Off"))->trigger();
        QCOMPARE(form.DisplayOptions()->FoldSeconds(), 0);
        form.HandleAlert("QS\r\nsymbol=IBM&last=4");
        QCOMPARE(form.Kind().RowCount(), 3);
    }

    void choicesAreKeptPerWindowInTheStore()
    {
        const TStoreFolder settingsFolder;
        QVERIFY(settingsFolder.IsValid());
        TTestWindowServices world;
        const QString section = QStringLiteral("Window:F");
        const auto open = [&](const QByteArray &display) {
            auto form = std::make_unique<TAlertForm>(world.Services());
            form->LoadConfiguration(TIniFile::FromText("[W]\nsubscription=F\nfold seconds=20\ndisplay=" + display), "W");
            return form;
        };
        {
            TSettingsStore store;
            auto untouched = open("pointslist");
            untouched->DisplayOptions()->Save(store, section);
            auto quick = open("");
            quick->DisplayOptions()->Save(store, section);
            // Left as they came, windows write nothing.
            QVERIFY(!store.Contains(section, QStringLiteral("FlashChanges")));
            QVERIFY(!store.Contains(section, QStringLiteral("FoldSeconds")));

            untouched->DisplayOptions()->FlashChangesAction()->trigger();
            untouched->DisplayOptions()->Save(store, section);
            FoldItem(*quick, QStringLiteral("5 s"))->trigger();
            quick->DisplayOptions()->Save(store, section);
        }
        TSettingsStore store;
        auto points = open("pointslist");
        points->DisplayOptions()->Restore(store, section);
        QVERIFY(points->DisplayOptions()->FlashChangesAction()->isChecked());
        auto quick = open("");
        QString checked;
        QCOMPARE(FoldItems(*quick, checked), QStringList({"Off", "5 s", "10 s", "20 s", "30 s"}));
        QCOMPARE(checked, QStringLiteral("20 s"));
        quick->DisplayOptions()->Restore(store, section);
        QCOMPARE(quick->DisplayOptions()->FoldSeconds(), 5);
        FoldItems(*quick, checked);
        QCOMPARE(checked, QStringLiteral("5 s"));
    }
};

QTEST_MAIN(TestDisplayOptions)
#include "tst_DisplayOptions.moc"
