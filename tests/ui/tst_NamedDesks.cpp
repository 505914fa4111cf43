#include "client/ui/grid/TGridFrame.h"
#include "client/ui/windows/TLinkGroupChooser.h"
#include "client/ui/windows/TMainForm.h"
#include "client/ui/windows/TWindowDesk.h"
#include "support/TMainFormRuns.h"

#include <QAction>
#include <QGuiApplication>
#include <QComboBox>
#include <QMenu>
#include <QScreen>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

const char TwoWindows[] = "[General]\n"
                          "window count=2\n"
                          "[Alert Window 0]\nsubscription=QS\ntitle=Quick\n"
                          "[Alert Window 1]\nsubscription=BB\ndisplay=set\ntitle=Bands\n";

int ShownColumnCount(TGridFrame *grid)
{
    return int(grid->ExportRow(0).size());
}

void ToggleColumn(TGridFrame *grid, int column)
{
    QMenu menu;
    grid->FillColumnMenu(&menu);
    menu.findChild<QAction *>(QStringLiteral("Column%1MenuItem").arg(column))->trigger();
}

bool OnAScreen(const QRect &place)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    return std::any_of(screens.cbegin(), screens.cend(),
                       [&](const QScreen *screen) { return screen->availableGeometry().contains(place); });
}

} // namespace

class TestNamedDesks : public QObject
{
    Q_OBJECT

    TMainFormRuns program;

private Q_SLOTS:
    void init() { program.Begin(TwoWindows); }
    void cleanup() { program.End(); }

    void aDeskSavedAndOpenedRestoresItsWindows()
    {
        auto form = program.Start();
        TAlertForm *quick = form->AlertWindows()[0];
        TAlertForm *bands = form->AlertWindows()[1];
        const QRect place(QPoint(120, 90), QSize(420, 260));
        quick->setGeometry(place);
        quick->show();
        QVERIFY(QTest::qWaitForWindowExposed(quick));
        quick->setGeometry(place);
        bands->hide();
        quick->SetMuted(true);
        quick->LinkGroup()->SetGroup(3);
        const int allColumns = ShownColumnCount(quick->Grid());
        ToggleColumn(quick->Grid(), 2);
        QCOMPARE(ShownColumnCount(quick->Grid()), allColumns - 1);
        program.World().Excludes.Add(QStringLiteral("IBM"));
        QVERIFY(form->SaveDesk(QStringLiteral("Morning")));

        // The desk outlives the run and is listed by its name.
        program.Stop(form);
        form = program.Start();
        quick = form->AlertWindows()[0];
        bands = form->AlertWindows()[1];
        QCOMPARE(form->DeskNames(), QStringList{QStringLiteral("Morning")});
        const auto *list = form->findChild<QComboBox *>(QStringLiteral("DeskList"));
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->itemText(0), QStringLiteral("Morning"));

        // Everything changed after the desk was saved...
        quick->hide();
        quick->setGeometry(QRect(QPoint(300, 200), QSize(200, 150)));
        bands->show();
        quick->SetMuted(false);
        quick->LinkGroup()->SetGroup(FirstLinkGroup);
        ToggleColumn(quick->Grid(), 2);
        program.World().Excludes.Clear();
        program.World().Excludes.Add(QStringLiteral("MSFT"));

        // ...comes back as the desk had it.
        QVERIFY(form->OpenDesk(QStringLiteral("Morning")));
        QVERIFY(quick->isVisible());
        QVERIFY(!bands->isVisible());
        QCOMPARE(quick->geometry(), place);
        QVERIFY(quick->Muted());
        QCOMPARE(quick->LinkGroup()->Group(), 3);
        QCOMPARE(ShownColumnCount(quick->Grid()), allColumns - 1);
        QVERIFY(program.World().Excludes.Contains(QStringLiteral("IBM")));
        QVERIFY(!program.World().Excludes.Contains(QStringLiteral("MSFT")));
        QVERIFY(!form->OpenDesk(QStringLiteral("Evening")));

        // Saved again over its name, the desk keeps nothing of the first saving.
        ToggleColumn(quick->Grid(), 2);
        QVERIFY(form->SaveDesk(QStringLiteral("Morning")));
        ToggleColumn(quick->Grid(), 2);
        QVERIFY(form->OpenDesk(QStringLiteral("Morning")));
        QCOMPARE(ShownColumnCount(quick->Grid()), allColumns);
        QCOMPARE(form->DeskNames(), QStringList{QStringLiteral("Morning")});
    }

    // A desk saved on a wider desktop than today's puts its windows on a screen.
    void aWindowOffTheScreenComesBackOntoIt()
    {
        auto form = program.Start();
        TAlertForm *quick = form->AlertWindows()[0];
        quick->show();
        QVERIFY(QTest::qWaitForWindowExposed(quick));
        QVERIFY(form->SaveDesk(QStringLiteral("Wide")));
        quick->hide();
        const QString section = QStringLiteral("Desk:Wide/Window:QS");
        program.Run().Store.WriteInteger(section, QStringLiteral("Left"), 9000);
        program.Run().Store.WriteInteger(section, QStringLiteral("Top"), -4000);
        program.Run().Store.WriteInteger(section, QStringLiteral("Width"), 300);
        program.Run().Store.WriteInteger(section, QStringLiteral("Height"), 200);

        QVERIFY(form->OpenDesk(QStringLiteral("Wide")));
        QVERIFY(quick->isVisible());
        QCOMPARE(quick->size(), QSize(300, 200));
        QVERIFY2(OnAScreen(quick->geometry()), qPrintable(QStringLiteral("%1,%2").arg(quick->x()).arg(quick->y())));
    }

    void deskNamesAreChecked_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << QStringLiteral("Morning") << true;
        QTest::newRow("spaces and accents") << QStringLiteral("Zürich open 2") << true;
        QTest::newRow("markup stays text") << QStringLiteral("<b>Big &amp;") << true;
        QTest::newRow("longest") << QString(60, QLatin1Char('x')) << true;
        QTest::newRow("too long") << QString(61, QLatin1Char('x')) << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("blank") << QStringLiteral("   ") << false;
        QTest::newRow("untrimmed") << QStringLiteral(" Morning") << false;
        QTest::newRow("slash") << QStringLiteral("a/b") << false;
        QTest::newRow("backslash") << QStringLiteral("a\\b") << false;
        QTest::newRow("tab") << QStringLiteral("a\tb") << false;
        QTest::newRow("line break") << QStringLiteral("a\nb") << false;
        QTest::newRow("bidi override") << QStringLiteral("a\u202Eb") << false;
    }

    void deskNamesAreChecked()
    {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QCOMPARE(TWindowDesk::IsValidDeskName(name), valid);
        auto form = program.Start();
        QCOMPARE(form->SaveDesk(name), valid);
        QCOMPARE(form->DeskNames(), valid ? QStringList{name} : QStringList());
    }
};

QTEST_MAIN(TestNamedDesks)
#include "tst_NamedDesks.moc"
