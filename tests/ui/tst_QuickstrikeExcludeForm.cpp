#include "client/ui/windows/TQuickstrikeExcludeForm.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

class TestQuickstrikeExcludeForm : public QObject
{
    Q_OBJECT

    TExcludeList excludes;

    // One edit cycle: once the modal dialog is up, the user types text and leaves with
    // the named button, or with Escape when there is none.
    static void EditAndLeave(TQuickstrikeExcludeForm &form, const QString &typed, const QString &button)
    {
        bool answered = false;
        QTimer::singleShot(0, &form, [&] {
            answered = form.isModal() && form.isVisible() && form.size() == QSize(181, 335);
            form.SymbolsMemo()->setPlainText(typed);
            if (button.isEmpty())
                QTest::keyClick(&form, Qt::Key_Escape);
            else
                QTest::mouseClick(form.findChild<QPushButton *>(button), Qt::LeftButton);
        });
        form.EditCycle();
        QVERIFY(answered && !form.isVisible());
    }

private Q_SLOTS:
    void init() { excludes.Clear(); }

    void updateSortsAndMergesTheList()
    {
        TQuickstrikeExcludeForm form(excludes);
        QCOMPARE(form.windowTitle(), QStringLiteral("Quickstrike Exclude"));
        QCOMPARE(form.findChild<QPushButton *>(QStringLiteral("OKButton"))->text(), QStringLiteral("Update"));
        QVERIFY(form.findChild<QPushButton *>(QStringLiteral("OKButton"))->isDefault());

        EditAndLeave(form, QStringLiteral("IBM\naapl\nibm\n\n"), QStringLiteral("OKButton"));
        QCOMPARE(excludes.Items(), QStringList({"aapl", "IBM"}));
        QCOMPARE(form.SymbolsMemo()->toPlainText(), QStringLiteral("aapl\nIBM"));

        // Lines are taken as typed: a blank around a symbol makes another text.
        EditAndLeave(form, QStringLiteral("IBM\n IBM"), QStringLiteral("OKButton"));
        QCOMPARE(excludes.Items().size(), 2);
        QVERIFY(excludes.Contains(QStringLiteral("ibm")) && excludes.Contains(QStringLiteral(" IBM")));

        // A line with a control character is refused, so it can never split into two.
        EditAndLeave(form, QStringLiteral("IBM\nA\u0007B"), QStringLiteral("OKButton"));
        QCOMPARE(form.SymbolsMemo()->toPlainText(), QStringLiteral("IBM"));
    }

    void cancelAndEscapeRestoreTheListInForce_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("Cancel") << "CancelButton";
        QTest::newRow("Escape") << "";
    }

    void cancelAndEscapeRestoreTheListInForce()
    {
        QFETCH(QString, button);
        TQuickstrikeExcludeForm form(excludes);
        EditAndLeave(form, QStringLiteral("MSFT\nibm"), QStringLiteral("OKButton"));
        EditAndLeave(form, QStringLiteral("ZZZ"), button);
        QCOMPARE(excludes.Items(), QStringList({"ibm", "MSFT"}));
        QCOMPARE(form.SymbolsMemo()->toPlainText(), QStringLiteral("ibm\nMSFT"));
    }
};

QTEST_MAIN(TestQuickstrikeExcludeForm)
#include "tst_QuickstrikeExcludeForm.moc"
