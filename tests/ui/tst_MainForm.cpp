#include "AzurevVersion.h"
#include "client/core/TExcludeList.h"
#include "client/core/TMainConnection.h"
#include "client/ui/desktop/MonitorFit.h"
#include "client/ui/grid/TGridFrame.h"
#include "client/ui/widgets/TElidedLabel.h"
#include "client/ui/widgets/TSparkline.h"
#include "client/ui/windows/TAlertShareMenu.h"
#include "client/ui/windows/TExternalLinkingWindow.h"
#include "client/ui/windows/TLinkGroupChooser.h"
#include "client/ui/windows/TMainForm.h"
#include "client/ui/windows/TQuickstrikeExcludeForm.h"
#include "client/ui/windows/TWindowDesk.h"
#include "support/TMainFormRuns.h"

#include "../shared/support/DebugCapture.h"
#include "../shared/support/FakeAlertServer.h"
#include "../shared/support/PostedEvents.h"
#include "../shared/support/WriteWholeFile.h"

#include <QAction>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QTextDocument>
#include <QToolTip>
#include <QtTest>

#include <memory>

namespace {

constexpr int NetworkWaitMs = 10000;

const char ThreeWindows[] = "[General]\n"
                            "window count=3\n"
                            "[Alert Window 0]\nsubscription=QS\ntitle=Quick\n"
                            "[Alert Window 1]\nsubscription=BB\ndisplay=set\ntitle=Bands\n"
                            "[Alert Window 2]\nsubscription=QS\nsuffix=-b\ntitle=Quick B\n";

void WriteIni(const QByteArray &text)
{
    QVERIFY(WriteWholeFile(QStringLiteral("KVX.ini"), text));
}

QSettings Store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Kestrova"),
                     QStringLiteral("Corvane Alerts"));
}

template <typename T>
T *Child(const QWidget *form, const char *name)
{
    return form->findChild<T *>(QLatin1String(name));
}

} // namespace

class TestMainForm : public QObject
{
    Q_OBJECT

    TMainFormRuns program;

    // A program start with the program's connection pointed at a server that answers
    // as the real one does; the form is shown.
    std::unique_ptr<TMainForm> ShownAgainst(FakeAlertServer &server)
    {
        server.AnswerAsTheRealServer();
        program.World().Connection.SetServerAddress(server.Address());
        auto form = program.Start();
        form->show();
        return form;
    }

private Q_SLOTS:
    void init() { program.Begin(ThreeWindows); }
    void cleanup() { program.End(); }

    void windowCountCreatesTheWindowsInOrder_data()
    {
        QTest::addColumn<QByteArray>("count");
        QTest::addColumn<QStringList>("listed");

        const QStringList all = {QStringLiteral("Quick"), QStringLiteral("Bands"), QStringLiteral("Quick B")};
        QTest::newRow("3") << QByteArray("window count=3") << all;
        QTest::newRow("hexadecimal 2") << QByteArray("window count=$2") << all.mid(0, 2);
        QTest::newRow("not a number") << QByteArray("window count=three") << QStringList();
        QTest::newRow("negative") << QByteArray("window count=-2") << QStringList();
        QTest::newRow("missing") << QByteArray("title=x") << QStringList();
    }

    void windowCountCreatesTheWindowsInOrder()
    {
        QFETCH(QByteArray, count);
        QFETCH(QStringList, listed);
        WriteIni(QByteArray(ThreeWindows).replace("window count=3", count));
        auto form = program.Start();

        const QListWidget *list = Child<QListWidget>(form.get(), "AlertWindowsListBox");
        QStringList captions;
        for (int row = 0; row < list->count(); ++row)
            captions << list->item(row)->text().section(QStringLiteral("  ("), 0, 0);
        QCOMPARE(captions, listed);
        QCOMPARE(form->AlertWindows().size(), listed.size());
        for (const TAlertForm *window : form->AlertWindows()) {
            QVERIFY(!window->isVisible()); // a first run shows none of them
            QCOMPARE(window->font(), form->AlertFont());
            QVERIFY(program.World().Connection.Categories().contains(window->Subscription()));
        }
        if (listed.size() == 3)
            QCOMPARE(form->AlertWindows()[2]->PlacementName(), QStringLiteral("QS-b"));
    }

    void captionAndExcludeButtonFollowKvxIni_data()
    {
        QTest::addColumn<QByteArray>("general");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("excludeButton");
        QTest::addColumn<QStringList>("kept"); // the exclude list kept from the last run

        const QString standard = QStringLiteral("Vadevor Azurev " AZUREV_VERSION);
        const QByteArray oneWindow = "window count=1\n[Alert Window 0]\nsubscription=QS\n";
        QTest::newRow("defaults") << QByteArray() << standard << false << QStringList();
        QTest::newRow("title") << QByteArray("title=Alerts\nexclude list=1\n") << QStringLiteral("Alerts " AZUREV_VERSION) << true
                               << QStringList();
        QTest::newRow("empty title") << QByteArray("title=\nexclude list=0\n") << QStringLiteral(" " AZUREV_VERSION) << false
                                     << QStringList();
        QTest::newRow("exclude 01") << QByteArray("exclude list=01\n") << standard << false << QStringList();
        QTest::newRow("exclude true") << QByteArray("exclude list=true\n") << standard << false << QStringList();
        // Whatever can exclude a symbol brings the editor that includes it again.
        QTest::newRow("QuickStrike window") << oneWindow << standard << true << QStringList();
        QTest::newRow("band-set window") << oneWindow + "display=set\n" << standard << false << QStringList();
        QTest::newRow("kept symbols") << QByteArray() << standard << true << QStringList({"IBM", "A\tB"});
    }

    void captionAndExcludeButtonFollowKvxIni()
    {
        QFETCH(QByteArray, general);
        QFETCH(QString, caption);
        QFETCH(bool, excludeButton);
        QFETCH(QStringList, kept);
        WriteIni("[General]\n" + general);
        if (!kept.isEmpty()) {
            QSettings store = Store();
            store.setValue(QStringLiteral("Main/KeepExcludeList"), QStringLiteral("1"));
            store.setValue(QStringLiteral("Main/ExcludeList"), kept);
        }
        auto form = program.Start();
        QCOMPARE(form->windowTitle(), caption);
        QCOMPARE(!Child<QPushButton>(form.get(), "QuickStrikeExcludeButton")->isHidden(), excludeButton);
        // A symbol with a control character is refused, kept or not.
        QCOMPARE(program.World().Excludes.Items(), kept.filter(QStringLiteral("IBM")));
    }

    // Excluded from a QuickStrike window's menu, the symbol is in the editor and the
    // menu includes it again; no "exclude list" key is needed for either.
    void anExclusionFromTheMenuCanBeUndone()
    {
        auto form = program.Start();
        TAlertForm *quick = form->AlertWindows()[0];
        quick->HandleAlert("QS\r\nsymbol=IBM&last=1");
        TAlertShareMenu *share = quick->ShareMenu();
        const QPoint ibm = quick->Grid()->CellRect(0, 1).center();
        share->AimAt(ibm);
        share->ExcludeAction()->trigger();

        TQuickstrikeExcludeForm excludeForm(program.World().Excludes);
        form->SetQuickstrikeExcludeForm(&excludeForm);
        QString edited;
        QTimer::singleShot(0, [&excludeForm, &edited] {
            edited = excludeForm.SymbolsMemo()->toPlainText();
            excludeForm.reject();
        });
        QTest::mouseClick(Child<QPushButton>(form.get(), "QuickStrikeExcludeButton"), Qt::LeftButton);
        QCOMPARE(edited, QStringLiteral("IBM"));

        share->AimAt(ibm);
        QVERIFY(!share->ExcludeAction()->isVisible());
        QCOMPARE(share->IncludeAction()->text(), QStringLiteral("Include IBM"));
        share->IncludeAction()->trigger();
        QCOMPARE(program.World().Excludes.Count(), 0);
    }

    void placementsUserAndFontSurviveARestart_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("visible");

        QTest::newRow("normal") << int(Qt::WindowNoState) << true;
        QTest::newRow("minimised") << int(Qt::WindowMinimized) << true;
        QTest::newRow("maximised") << int(Qt::WindowMaximized) << true;
        QTest::newRow("hidden") << int(Qt::WindowNoState) << false;
    }

    void placementsUserAndFontSurviveARestart()
    {
        QFETCH(int, state);
        QFETCH(bool, visible);
        const QRect normal(40, 50, 300, 200);
        const QFont chosen(QFontDatabase::families().value(0), 15);

        auto form = program.Start();
        TAlertForm *window = form->AlertWindows()[1];
        window->setGeometry(normal);
        window->show();
        window->setWindowState(Qt::WindowStates(state));
        window->setVisible(visible);
        Child<QLineEdit>(form.get(), "UsernameEdit")->setText(QStringLiteral("alice"));
        Child<QLineEdit>(form.get(), "PasswordEdit")->setText(QStringLiteral("pw-not-kept"));
        QTimer::singleShot(0, [chosen] {
            auto *dialog = qobject_cast<QFontDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->setCurrentFont(chosen);
            dialog->accept();
        });
        const QFont ownFont = form->font();
        form->SetFontButtonClick();
        const QFont picked = form->AlertFont();
        QCOMPARE(picked.pointSize(), 15);
        QCOMPARE(window->font(), picked);
        QCOMPARE(form->font(), ownFont); // the main window keeps its own
        program.Stop(form);
        // A window never on screen keeps no position: the window manager places it.
        QVERIFY(Store().contains(QStringLiteral("Window:QS/Width")));
        QVERIFY(!Store().contains(QStringLiteral("Window:QS/Left")));

        form = program.Start();
        window = form->AlertWindows()[1];
        QCOMPARE(window->normalGeometry(), normal);
        QCOMPARE(int(window->windowState()), state);
        QCOMPARE(window->isVisible(), visible);
        QVERIFY(!form->AlertWindows()[0]->isVisible());
        QCOMPARE(Child<QLineEdit>(form.get(), "UsernameEdit")->text(), QStringLiteral("alice"));
        QVERIFY(Child<QLineEdit>(form.get(), "PasswordEdit")->text().isEmpty());
        for (const TAlertForm *each : form->AlertWindows()) {
            QCOMPARE(each->font().family(), picked.family());
            QCOMPARE(each->font().pointSize(), 15);
        }
        program.Stop(form);

        QFile stored(Store().fileName());
        QVERIFY(stored.open(QIODevice::ReadOnly));
        QVERIFY(!stored.readAll().contains("pw-not-kept"));
    }

    void draggedColumnWidthsSurviveARestart()
    {
        auto form = program.Start();
        TGridFrame *grid = form->AlertWindows()[0]->Grid();
        form->AlertWindows()[0]->show();
        QVERIFY(QTest::qWaitForWindowExposed(form->AlertWindows()[0]));
        const int measured0 = grid->ColWidths(0);
        const int measured1 = grid->ColWidths(1);
        const int measured2 = grid->ColWidths(2);
        const QPoint border(grid->CellRect(1, 0).right() + 1, 5);
        QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, border);
        QTest::mouseMove(grid->viewport(), border + QPoint(37, 0));
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, border + QPoint(37, 0));
        const int dragged = grid->ColWidths(1);
        QVERIFY(dragged > 37);
        program.Stop(form);
        // Windows whose columns nobody dragged write nothing new.
        QVERIFY(!Store().contains(QStringLiteral("Window:BB/ColumnWidths")));

        form = program.Start();
        grid = form->AlertWindows()[0]->Grid();
        QCOMPARE(grid->ColWidths(1), dragged);
        QCOMPARE(grid->ColWidths(0), measured0);
        QCOMPARE(grid->ColWidths(2), measured2);
        QCOMPARE(form->AlertWindows()[2]->Grid()->ColWidths(1), measured1); // a window of its own
        program.Stop(form); // restored widths are kept again

        // Damaged values are passed over; the good pair still counts.
        Store().setValue(QStringLiteral("Window:QS/ColumnWidths"), QStringLiteral("1:x,99:50,2:-4,0:999999,2:71"));
        form = program.Start();
        grid = form->AlertWindows()[0]->Grid();
        QCOMPARE(grid->ColWidths(0), measured0);
        QCOMPARE(grid->ColWidths(1), measured1);
        QCOMPARE(grid->ColWidths(2), 71);
    }

    // Hidden and moved columns come back after a restart, and Copy Row and the CSV
    // file follow them; a window of its own keeps the kind's default.
    void chosenColumnsSurviveARestartAndDriveCopyAndExport()
    {
        const auto captions = [](TGridFrame *grid) {
            QStringList texts;
            for (const TExportCell &cell : grid->ExportRow(0))
                texts << cell.Text;
            return texts;
        };
        const QStringList all{"Symbol", "Last", "Chg", "%Chg", "Divrg", "Time"};
        const QStringList chosen{"Time", "Symbol", "Last", "%Chg", "Divrg"};
        auto form = program.Start();
        TAlertForm *quick = form->AlertWindows()[0];
        quick->show();
        QVERIFY(QTest::qWaitForWindowExposed(quick));
        TGridFrame *grid = quick->Grid();
        QCOMPARE(captions(grid), all);

        // A right click on the header offers every column, checked while shown.
        QStringList offered;
        QTimer::singleShot(0, [&offered] {
            QWidget *popup = QApplication::activePopupWidget();
            QVERIFY(popup && popup->objectName() == QStringLiteral("ColumnMenu"));
            for (const QAction *item : popup->actions())
                if (!item->isSeparator())
                    offered << item->text() + (item->isChecked() ? QStringLiteral("+") : QString());
            popup->close();
        });
        QContextMenuEvent click(QContextMenuEvent::Mouse, grid->CellRect(1, 0).center(),
                                grid->viewport()->mapToGlobal(grid->CellRect(1, 0).center()));
        QCoreApplication::sendEvent(grid->viewport(), &click);
        QCOMPARE(offered, QStringList({"Symbol+", "Last+", "Chg+", "%Chg+", "Divrg+", "Time+", "Reset Columns"}));

        // Hide Chg, widen Symbol and drag Time's caption onto Symbol's.
        QMenu menu;
        grid->FillColumnMenu(&menu);
        menu.findChild<QAction *>(QStringLiteral("Column2MenuItem"))->trigger();
        grid->SetUserColWidth(0, 77);
        const QPoint time = grid->CellRect(4, 0).center();
        const QPoint symbol = grid->CellRect(0, 0).center();
        QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, time);
        QTest::mouseMove(grid->viewport(), symbol);
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, symbol);
        QCOMPARE(captions(grid), chosen);
        QCOMPARE(grid->ColWidths(1), 77);
        const int measuredTime = grid->ColWidths(0);
        program.Stop(form);
        QCOMPARE(Store().value(QStringLiteral("Window:QS/ShownColumns")).toString(), QStringLiteral("5,0,1,3,4"));
        QVERIFY(!Store().contains(QStringLiteral("Window:BB/ShownColumns")));

        form = program.Start();
        quick = form->AlertWindows()[0];
        grid = quick->Grid();
        TAlertForm *other = form->AlertWindows()[2];
        QCOMPARE(captions(grid), chosen);
        QCOMPARE(grid->ColWidths(1), 77);
        QCOMPARE(grid->ColWidths(0), measuredTime);
        QCOMPARE(captions(other->Grid()), all);
        for (TAlertForm *window : {quick, other})
            window->HandleAlert("QS\r\nsymbol=IBM&last=12.5&prev_close=12&time=10%3A31%3A05");
        QStringList cells;
        for (const TExportCell &cell : other->Grid()->ExportRow(1))
            cells << cell.Text;
        QCOMPARE(cells.size(), all.size());
        quick->ShareMenu()->AimAt(grid->CellRect(1, 1).center());
        quick->ShareMenu()->CopyRowAction()->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text().split(QLatin1Char('\t')),
                 QStringList({cells[5], cells[0], cells[1], cells[3], cells[4]}));
        const QString path = program.Folder().filePath(QStringLiteral("chosen.csv"));
        QString error;
        QVERIFY(quick->ShareMenu()->ExportTo(path, error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
        // Number columns are followed by their values in columns of their own.
        QStringList headers;
        for (const QString &header : lines[0].split(QLatin1Char(',')))
            if (!header.endsWith(QStringLiteral("(value)")))
                headers << header;
        QCOMPARE(headers, chosen);
        QVERIFY(lines[1].startsWith(cells[5] + QStringLiteral(",IBM,")));

        // "Reset Columns" brings back the kind's columns at their measured widths,
        // and leaves no choice in the store.
        QMenu again;
        grid->FillColumnMenu(&again);
        again.findChild<QAction *>(QStringLiteral("ResetColumnsMenuItem"))->trigger();
        QCOMPARE(captions(grid), all);
        QCOMPARE(grid->ColWidths(0), other->Grid()->ColWidths(0));
        program.Stop(form);
        QVERIFY(!Store().contains(QStringLiteral("Window:QS/ShownColumns")));

        // A damaged choice is repaired, not trusted.
        Store().setValue(QStringLiteral("Window:QS/ShownColumns"), QStringLiteral("9,x,3,3,-1"));
        form = program.Start();
        QCOMPARE(captions(form->AlertWindows()[0]->Grid()), QStringList({"%Chg"}));
    }

    void withoutTheNewKeysNothingSoundsAndNothingIsWritten()
    {
        const TRecordingAnnouncer &announcer = program.World().Announcer;
        auto form = program.Start();
        for (const char *body : {"QS\r\nsymbol=IBM&last=1", "QS\r\nsymbol=IBM&last=2", "BB\r\naction=add&symbol=X"})
            program.World().Connection.DispatchAlert(true, body, TMessageToServer());
        QCOMPARE(form->AlertWindows()[0]->Kind().RowCount(), 2);
        program.Stop(form);
        QCOMPARE(announcer.Calls, QStringList());
        const QStringList keys = Store().allKeys();
        QVERIFY(!keys.isEmpty());
        for (const QString &key : keys)
            QVERIFY2(!key.contains(QStringLiteral("Mute")) && !key.contains(QStringLiteral("Exclude")), qPrintable(key));
    }

    void muteSurvivesARestart()
    {
        auto form = program.Start();
        QVERIFY(!form->AlertWindows()[0]->Muted());
        form->AlertWindows()[0]->MuteAction()->trigger();
        program.Stop(form);

        form = program.Start();
        QVERIFY(form->AlertWindows()[0]->Muted() && form->AlertWindows()[0]->MuteAction()->isChecked());
        QVERIFY(!form->AlertWindows()[2]->Muted()); // a placement of its own
        form->AlertWindows()[0]->MuteAction()->trigger();
        program.Stop(form);

        form = program.Start();
        QVERIFY(!form->AlertWindows()[0]->Muted() && !form->AlertWindows()[0]->MuteAction()->isChecked());
    }

    void linkGroupSurvivesARestart()
    {
        auto form = program.Start();
        QCOMPARE(form->AlertWindows()[0]->LinkGroup()->Group(), FirstLinkGroup);
        program.Stop(form);
        QVERIFY(!Store().allKeys().join(QLatin1Char(' ')).contains(QStringLiteral("LinkGroup")));

        form = program.Start();
        form->AlertWindows()[0]->LinkGroup()->GroupAction(3)->trigger();
        program.Stop(form);

        form = program.Start();
        const TLinkGroupChooser &kept = *form->AlertWindows()[0]->LinkGroup();
        QVERIFY(kept.Group() == 3 && kept.GroupAction(3)->isChecked());
        QVERIFY(kept.Mark()->isVisibleTo(form->AlertWindows()[0]));
        QCOMPARE(form->AlertWindows()[2]->LinkGroup()->Group(), FirstLinkGroup); // a placement of its own
        program.Stop(form);

        // A damaged value leaves the window in group 1.
        Store().setValue(QStringLiteral("Window:QS/LinkGroup"), 9);
        form = program.Start();
        QCOMPARE(form->AlertWindows()[0]->LinkGroup()->Group(), FirstLinkGroup);
    }

    void excludeListSurvivesARestartOnlyWhenKept_data()
    {
        QTest::addColumn<bool>("keepFirst");
        QTest::addColumn<bool>("keepSecond");
        QTest::addColumn<QStringList>("secondStart");
        QTest::addColumn<QStringList>("thirdStart");

        const QStringList kept = {"aapl", "IBM"};
        QTest::newRow("off") << false << false << QStringList() << QStringList();
        QTest::newRow("on") << true << true << kept << kept;
        QTest::newRow("on, then off") << true << false << kept << QStringList();
    }

    void excludeListSurvivesARestartOnlyWhenKept()
    {
        QFETCH(bool, keepFirst);
        QFETCH(bool, keepSecond);
        const auto keepBox = [](const std::unique_ptr<TMainForm> &form) {
            return Child<QCheckBox>(form.get(), "KeepExcludeListCheckBox");
        };
        auto form = program.Start();
        QVERIFY(!keepBox(form)->isChecked()); // off by default
        keepBox(form)->setChecked(keepFirst);
        program.World().Excludes.Add(QStringLiteral("IBM"));
        program.World().Excludes.Add(QStringLiteral("aapl"));
        program.Stop(form);

        program.World().Excludes.Clear(); // every run starts with an empty list
        form = program.Start();
        QTEST(program.World().Excludes.Items(), "secondStart");
        QCOMPARE(keepBox(form)->isChecked(), keepFirst);
        keepBox(form)->setChecked(keepSecond);
        program.Stop(form);

        program.World().Excludes.Clear();
        form = program.Start();
        QTEST(program.World().Excludes.Items(), "thirdStart");
        QCOMPARE(Store().contains(QStringLiteral("Main/ExcludeList")), keepSecond);
        if (keepSecond) // a list, not a text in which a line break could make two symbols
            QCOMPARE(Store().value(QStringLiteral("Main/ExcludeList")).typeId(), QMetaType::QStringList);
    }

    void windowsTabShowsHidesCascadesAndListsTheState()
    {
        auto form = program.Start();
        const TAlertForms &windows = form->AlertWindows();
        const QListWidget *list = Child<QListWidget>(form.get(), "AlertWindowsListBox");
        QCOMPARE(list->item(0)->text(), QStringLiteral("Quick  (hidden, 0 in the last minute)"));

        QTest::mouseClick(Child<QPushButton>(form.get(), "ShowAllButton"), Qt::LeftButton);
        for (const TAlertForm *window : windows)
            QVERIFY(window->isVisible());
        windows[1]->setGeometry(300, 300, 200, 150);
        windows[1]->showMinimized();
        windows[0]->HandleAlert("QS\r\nsymbol=IBM&price=1");
        windows[0]->HandleAlert("QS\r\nsymbol=MSFT&price=2");
        windows[0]->HandleAlert("BB\r\nsymbol=MSFT"); // another window's category
        form->findChild<TWindowDesk *>()->RefreshList();
        QCOMPARE(list->item(0)->text(), QStringLiteral("Quick  (visible, 2 in the last minute)"));
        QCOMPARE(list->item(1)->text(), QStringLiteral("Bands  (minimised, 0 in the last minute)"));

        QTest::mouseClick(Child<QPushButton>(form.get(), "CascadeButton"), Qt::LeftButton);
        QVERIFY(!(windows[1]->windowState() & Qt::WindowMinimized));
        QCOMPARE(windows[1]->pos() - windows[0]->pos(), windows[2]->pos() - windows[1]->pos());
        QVERIFY(windows[1]->pos().x() > windows[0]->pos().x());

        QTest::mouseClick(Child<QPushButton>(form.get(), "HideAllButton"), Qt::LeftButton);
        for (int row = 0; row < windows.size(); ++row) {
            QVERIFY(windows[row]->isHidden());
            QVERIFY(list->item(row)->text().contains(QStringLiteral("(hidden, ")));
        }
    }

    void storedValuesOffScreenOrUnreadableAreMadeSafe()
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        {
            QSettings store = Store();
            store.setValue(QStringLiteral("Main/Left"), -5000);
            store.setValue(QStringLiteral("Main/FontSize"), 0);
            store.setValue(QStringLiteral("Window:QS/Left"), screen.right() + 3000);
            store.setValue(QStringLiteral("Window:QS/Top"), -3000);
            store.setValue(QStringLiteral("Window:QS/Visible"), QStringLiteral("1"));
            store.setValue(QStringLiteral("Window:BB/Width"), QStringLiteral("wide"));
            store.setValue(QStringLiteral("Window:BB/Left"), 10);
            store.setValue(QStringLiteral("Window:BB/Top"), 10);
            store.setValue(QStringLiteral("Window:BB/Visible"), QStringLiteral("yes"));
            store.setValue(QStringLiteral("Window:BB/State"), 7);
        }
        auto form = program.Start();
        QCOMPARE(form->pos().x(), screen.left());
        QCOMPARE(form->AlertFont().pointSize(), form->font().pointSize());
        const TAlertForm *pulledBack = form->AlertWindows()[0];
        QVERIFY(pulledBack->isVisible());
        QCOMPARE(pulledBack->geometry().topLeft(), QPoint(screen.left() + screen.width() - 401, screen.top()));
        const TAlertForm *unreadable = form->AlertWindows()[1];
        QCOMPARE(unreadable->width(), 401);
        QVERIFY(!unreadable->isVisible());
        QCOMPARE(unreadable->windowState(), Qt::WindowNoState);
    }

    // A damaged or hostile file or store must not stop the program from starting: out of
    // range numbers are cut back or ignored.
    void hostileValuesStartNormally()
    {
        WriteIni(QByteArray(ThreeWindows).replace("window count=3", "window count=2147483647"));
        {
            QSettings store = Store();
            store.setValue(QStringLiteral("Main/FontSize"), 2147483647);
            store.setValue(QStringLiteral("Main/Left"), -2147483647 - 1);
            store.setValue(QStringLiteral("Main/Top"), 2147483647);
            store.setValue(QStringLiteral("Window:QS/Width"), 2147483647);
            store.setValue(QStringLiteral("Window:QS/Left"), 2147483647);
            store.setValue(QStringLiteral("Window:QS/Top"), -2147483647 - 1);
            store.setValue(QStringLiteral("Window:BB/Left"), 100001);
            store.setValue(QStringLiteral("Window:BB/Top"), 10);
            QStringList manySymbols;
            for (int i = 0; i < 200000; ++i)
                manySymbols << QString::number(i);
            store.setValue(QStringLiteral("Main/KeepExcludeList"), QStringLiteral("1"));
            store.setValue(QStringLiteral("Main/ExcludeList"), manySymbols.join(QLatin1Char('\n')));
        }
        const TDebugCapture debug;
        const QStringList &reports = debug.Lines();

        auto form = program.Start();
        QCOMPARE(form->AlertWindows().size(), 100);
        QCOMPARE(form->AlertWindows()[3]->windowTitle(), QStringLiteral("Alerts"));
        QCOMPARE(reports.size(), 1);
        QVERIFY2(reports[0].contains(QLatin1String("\"window count\" 2147483647")), qPrintable(reports[0]));
        QCOMPARE(form->AlertFont().pointSize(), 500);
        // Damaged places count as none: the main window takes the first run's place, and
        // the alert windows share the screen beside it.
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QMargins frame = ExpectedWindowFrame();
        QCOMPARE(form->geometry().topLeft(), screen.topLeft() + QPoint(frame.left(), frame.top()));
        for (int i = 0; i < 3; ++i) {
            const QRect placed = form->AlertWindows()[i]->geometry();
            QVERIFY(screen.contains(placed) && !placed.intersects(form->geometry()));
        }
        QCOMPARE(program.World().Excludes.Count(), 10000);
    }

    // The client area is what is kept, so a framed window comes back exactly where and as
    // large as it was, instead of creeping by its title bar at every start.
    void mainWindowComesBackWhereItWas()
    {
        const QPoint corner(120, 130);
        const QSize size(420, 330);
        auto form = program.Start();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->setGeometry(QRect(corner, size));
        QTRY_COMPARE(form->geometry(), QRect(corner, size));
        QVERIFY(form->frameGeometry().topLeft() != corner);
        program.Stop(form);
        QCOMPARE(Store().value(QStringLiteral("Main/Left")).toInt(), corner.x());
        QCOMPARE(Store().value(QStringLiteral("Main/Top")).toInt(), corner.y());

        for (int run = 0; run < 2; ++run) {
            form = program.Start();
            form->show();
            QVERIFY(QTest::qWaitForWindowExposed(form.get()));
            QCOMPARE(form->geometry(), QRect(corner, size));
            program.Stop(form);
        }
    }

    void aLongStatusWrapsWithinTheWindow()
    {
        auto form = program.Start();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        const QSize size = form->size();
        const QString reason = QStringLiteral("Your subscription has ended; renew it at the accounts page "
                                              "or call the desk, quoting reference 0000-1111-2222-3333, ")
                               + QString(200, u'x');
        auto *label = Child<TElidedLabel>(form.get(), "StatusLabel");
        label->SetFullText(reason);
        QVERIFY(HandleEventsPostedSoFar()); // the label laid out anew
        QCOMPARE(form->size(), size);
        QVERIFY(form->minimumSizeHint().width() <= size.width());
        QCOMPARE(label->toolTip(), PlainTextToolTip(reason));
        const QStringList lines = label->ShownLines();
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.constLast().endsWith(QChar(0x2026)));
        QVERIFY(lines.join(QString()).size() < reason.size());

        // A tooltip on screen follows the text it stands for.
        QToolTip::showText(label->mapToGlobal(QPoint(1, 1)), label->toolTip(), label);
        QTRY_VERIFY(QToolTip::isVisible());
        label->SetFullText(QStringLiteral("Disconnected."));
        QCOMPARE(QToolTip::text(), PlainTextToolTip(QStringLiteral("Disconnected.")));
        QToolTip::hideText();
    }

    // The status texts the connection shows must be readable whole at the window's
    // first size, with the link readout shown as well.
    void statusTextsFitAtTheDefaultSize_data()
    {
        QTest::addColumn<QString>("status");
        const QString lateTime = QLocale().toString(QTime(23, 59, 59), QLocale::LongFormat);
        QTest::newRow("working") << QStringLiteral("Working:  ") + lateTime;
        QTest::newRow("working, US English")
            << QStringLiteral("Working:  ")
                   + QLocale(QLocale::English, QLocale::UnitedStates).toString(QTime(23, 59, 59), QLocale::LongFormat);
        QTest::newRow("connecting") << QStringLiteral("Connecting to 127.0.0.1:65535\u2026");
        QTest::newRow("connected") << QStringLiteral("Connected!");
        QTest::newRow("disconnected") << QStringLiteral("Disconnected.");
        QTest::newRow("TLS refused") << QStringLiteral("Cannot reach 127.0.0.1:19341: TLS handshake failed: "
                                                       "The certificate is self-signed, and untrusted. "
                                                       "Reconnecting in 30 s");
        QTest::newRow("type the password") << QStringLiteral("Type your password.");
    }

    void statusTextsFitAtTheDefaultSize()
    {
        QFETCH(QString, status);
        auto form = program.Start();
        const QSize made = form->size();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        auto *readout = Child<QLabel>(form.get(), "LinkReadout");
        readout->setText(QStringLiteral("ping 1,234 ms, last alert 59 s ago, paint lag 1,234 ms"));
        Child<QLabel>(form.get(), "AlertRateLabel")->setText(QStringLiteral("1,234 alerts/min"));
        auto *label = Child<TElidedLabel>(form.get(), "StatusLabel");
        label->SetFullText(status);
        QVERIFY(HandleEventsPostedSoFar()); // the label laid out anew
        // Nothing is cut short; only spaces go where lines break.
        QCOMPARE(label->ShownLines().join(QString()).remove(u' '), QString(status).remove(u' '));
        // Nor does the readout push the window larger than it was made.
        QCOMPARE(form->size(), made);
        QVERIFY(form->minimumSizeHint().width() <= form->width());
        QVERIFY(form->minimumSizeHint().height() <= form->height());
    }

    // Server text is shown as written: no markup is obeyed, and no bidi override can
    // turn the text round, neither on the status line nor in its tooltip.
    void aStatusWithMarkupShowsAsText()
    {
        auto form = program.Start();
        auto *label = Child<TElidedLabel>(form.get(), "StatusLabel");
        const QString markup = QStringLiteral("<h1>BIG</h1><img src=x> & ABC\u202ELPPA");
        const QString shown = QStringLiteral("<h1>BIG</h1><img src=x> & ABC\uFFFDLPPA");
        label->SetFullText(markup);
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(label->text(), shown);
        QTextDocument tip;
        tip.setHtml(label->toolTip());
        QCOMPARE(tip.toPlainText(), shown);
        label->SetFullText(QString());
        QVERIFY(label->toolTip().isEmpty());
    }

    void alertsShowInTheSparklineAndTheCountPerMinute()
    {
        auto form = program.Start();
        program.World().Connection.DispatchAlert(true, "QS\r\nsymbol=IBM", TMessageToServer());
        auto *sparkline = Child<TSparkline>(form.get(), "AlertSparkline");
        QTRY_VERIFY(!sparkline->Values().isEmpty() && sparkline->Values().constLast() > 0);
        QCOMPARE(sparkline->Values().size(), 30);
        QVERIFY(Child<QLabel>(form.get(), "AlertRateLabel")->text().contains(QRegularExpression("^[1-9]")));
    }

    void doubleClickBringsTheSelectedWindowUpRestored()
    {
        auto form = program.Start();
        form->show();
        Child<QTabWidget>(form.get(), "PageControl1")->setCurrentIndex(1);
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        TAlertForm *window = form->AlertWindows()[1];
        window->setWindowState(Qt::WindowMinimized);

        QListWidget *list = Child<QListWidget>(form.get(), "AlertWindowsListBox");
        form->AlertWindowsListBoxDblClick(); // nothing selected yet
        QVERIFY(!window->isVisible());

        const QPoint item = list->visualItemRect(list->item(1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, item);
        QVERIFY(window->isVisible());
        QVERIFY(!window->isMinimized());
        QVERIFY(!form->AlertWindows()[0]->isVisible());
    }

    void buttonsReachTheirWindows()
    {
        WriteIni("[General]\nexclude list=1\n");
        auto form = program.Start();
        TExternalLinkingWindow *linking = &program.Run().Linking;
        linking->setWindowState(Qt::WindowMinimized);
        QTest::mouseClick(Child<QPushButton>(form.get(), "ConfigureExternalLinkingButton"), Qt::LeftButton);
        QVERIFY(linking->isVisible());
        QVERIFY(!linking->isMinimized());
        linking->hide();

        TQuickstrikeExcludeForm excludeForm(program.World().Excludes);
        form->SetQuickstrikeExcludeForm(&excludeForm);
        QTimer::singleShot(0, [&excludeForm] {
            QCOMPARE(QApplication::activeModalWidget(), &excludeForm);
            excludeForm.SymbolsMemo()->setPlainText(QStringLiteral("IBM\naapl"));
            excludeForm.accept();
        });
        QTest::mouseClick(Child<QPushButton>(form.get(), "QuickStrikeExcludeButton"), Qt::LeftButton);
        QCOMPARE(program.World().Excludes.Items(), QStringList({QStringLiteral("aapl"), QStringLiteral("IBM")}));
    }

    // Watched from the server's side: the one order of the two calls cannot be told
    // from the other, but both values must be in the login that follows.
    void loginSendsTheTypedCredentialsAndSubscribesTheWindows()
    {
        FakeAlertServer server;
        auto form = ShownAgainst(server);
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        Child<QLineEdit>(form.get(), "UsernameEdit")->setText(QStringLiteral("alice"));
        QLineEdit *password = Child<QLineEdit>(form.get(), "PasswordEdit");
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        password->setText(QStringLiteral("s3cret"));
        QTest::keyClick(password, Qt::Key_Return); // Login is the default button

        QTRY_VERIFY_WITH_TIMEOUT(server.ClientCount() == 1 && server.Client(0).RequestsFor("login").size() == 1,
                                 NetworkWaitMs);
        const TMessageToServer login = server.Client(0).RequestsFor("login").first();
        QCOMPARE(login.Value("username"), QByteArray("alice"));
        QCOMPARE(login.Value("password"), QByteArray("s3cret"));
        QTRY_COMPARE_WITH_TIMEOUT(Child<QLabel>(form.get(), "StatusLabel")->text(), QStringLiteral("Connected!"),
                                  NetworkWaitMs);
        auto *readout = Child<QLabel>(form.get(), "LinkReadout");
        QTRY_VERIFY_WITH_TIMEOUT(readout->palette().color(QPalette::WindowText) != QColor(Qt::red), NetworkWaitMs);
        QVector<QByteArray> categories;
        for (const TMessageToServer &request : server.Client(0).RequestsFor("add_alert_category"))
            categories << request.Value("category");
        QVERIFY(categories.contains("QS") && categories.contains("BB"));

        QTest::mouseClick(Child<QPushButton>(form.get(), "ResetConnectionButton"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(server.ClientCount() == 2 && server.Client(1).RequestsFor("login").size() == 1,
                                 NetworkWaitMs);
        QCOMPARE(server.ClientCount(), 2);

        // Leaves the shared connection idle for the tests after this one.
        program.World().Connection.SetUsername(QByteArray());
        program.World().Connection.SetServerAddress(QStringLiteral("127.0.0.1:1"));
        // No session connected: the readout says so in red.
        QTRY_COMPARE_WITH_TIMEOUT(readout->palette().color(QPalette::WindowText), QColor(Qt::red), NetworkWaitMs);
    }

    // The keyboard lands in the first empty field, and Tab goes name, password, Login.
    void loginFocusGoesToTheFirstEmptyField_data()
    {
        QTest::addColumn<QString>("storedUser");
        QTest::newRow("first start") << QString();
        QTest::newRow("name remembered") << QStringLiteral("ann");
    }

    void loginFocusGoesToTheFirstEmptyField()
    {
        QFETCH(QString, storedUser);
        if (!storedUser.isEmpty())
            Store().setValue(QStringLiteral("Main/User"), storedUser);
        auto form = program.Start();
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        const auto *name = Child<QLineEdit>(form.get(), "UsernameEdit");
        const auto *password = Child<QLineEdit>(form.get(), "PasswordEdit");
        QCOMPARE(QApplication::focusWidget(), storedUser.isEmpty() ? name : password);

        // Typed as the user types: into whatever has the focus.
        const auto type = [](const QString &text) {
            QTest::keyClicks(QApplication::focusWidget(), text);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        };
        if (storedUser.isEmpty())
            type(QStringLiteral("ann"));
        type(QStringLiteral("pw"));
        QCOMPARE(name->text(), QStringLiteral("ann"));
        QCOMPARE(password->text(), QStringLiteral("pw"));
        QCOMPARE(QApplication::focusWidget(), Child<QPushButton>(form.get(), "LoginButton"));
    }

    void anEmptyFieldRefusesTheLogin_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("emptyField");

        QTest::newRow("no password") << QStringLiteral("ann") << QString() << QStringLiteral("Type your password.")
                                     << QStringLiteral("PasswordEdit");
        QTest::newRow("no name") << QString() << QStringLiteral("pw") << QStringLiteral("Type your user name.")
                                 << QStringLiteral("UsernameEdit");
        QTest::newRow("neither") << QString() << QString() << QStringLiteral("Type your user name.")
                                 << QStringLiteral("UsernameEdit");
    }

    void anEmptyFieldRefusesTheLogin()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(QString, hint);
        QFETCH(QString, emptyField);
        FakeAlertServer server;
        auto form = ShownAgainst(server);
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        auto *nameEdit = Child<QLineEdit>(form.get(), "UsernameEdit");
        auto *passwordEdit = Child<QLineEdit>(form.get(), "PasswordEdit");
        nameEdit->setText(name);
        passwordEdit->setText(password);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        const auto *status = Child<TElidedLabel>(form.get(), "StatusLabel");
        QCOMPARE(status->text(), hint);
        QCOMPARE(QApplication::focusWidget()->objectName(), emptyField);

        // Completed, the form logs in; the refused press had opened no connection.
        nameEdit->setText(QStringLiteral("ann"));
        passwordEdit->setText(QStringLiteral("pw"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), QStringLiteral("Connected!"), NetworkWaitMs);
        QCOMPARE(server.ClientCount(), 1);

        program.World().Connection.SetUsername(QByteArray());
        program.World().Connection.SetServerAddress(QStringLiteral("127.0.0.1:1"));
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_MainForm.moc"
