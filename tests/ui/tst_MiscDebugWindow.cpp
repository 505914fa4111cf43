#include "client/ui/windows/TMiscDebugWindow.h"
#include "shared/DebugSink.h"
#include "shared/Exception.h"

#include <QPlainTextEdit>
#include <QtTest>

#include <optional>

namespace {

// Generous: the flush comes 250 ms after the first line of a burst.
constexpr int FlushWaitMs = 10000;

QStringList LogLines(const TMiscDebugWindow *window)
{
    const QString text = window->Memo1()->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

class ENamedError : public Exception
{
public:
    using Exception::Exception;
    const char *ClassName() const override { return "ENamedError"; }
};

} // namespace

// The program's debug window is made on the first report and kept for the run, so the
// test that nothing has been reported yet runs first.
class TestMiscDebugWindow : public QObject
{
    Q_OBJECT

    std::optional<TDebugWindowRoute> route;

private Q_SLOTS:
    void initTestCase()
    {
        route.emplace();
    }

    void noReportMeansNoWindow()
    {
        QCoreApplication::processEvents();
        QVERIFY(!route->Window());
        for (QWidget *widget : QApplication::topLevelWidgets())
            QVERIFY(!widget->isVisible());
    }

    void theFirstReportMakesAndShowsTheWindow()
    {
        ReportException(ENamedError(QStringLiteral("went wrong")), QStringLiteral("Unit, TThing.Step"));
        TMiscDebugWindow *window = route->Window();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("Kestrova Debug Window"));
        QVERIFY(window->Memo1()->isReadOnly());
        // An empty message still gives the whole line.
        ReportException(ENamedError(QString()), QStringLiteral("Here"));
        QTRY_VERIFY_WITH_TIMEOUT(!window->FlushArmed(), FlushWaitMs);
        const QStringList expected = {
            QStringLiteral("Class=ENamedError, Message=went wrong, Location=Unit, TThing.Step"),
            QStringLiteral("Class=ENamedError, Message=, Location=Here")};
        QCOMPARE(LogLines(window), expected);
    }

    void aBurstIsWrittenOutTogetherAsOneLinePerReport()
    {
        TMiscDebugWindow *window = route->Window();
        QVERIFY(window);
        const int before = LogLines(window).size();

        DebugOutput(QStringLiteral("first"));
        DebugOutput(QStringLiteral("second"));
        DebugOutput(QStringLiteral("third"));
        // Queued, not yet in the editor, and one flush armed for the three of them.
        QVERIFY(window->FlushArmed());
        QCOMPARE(window->PendingText(), QStringLiteral("first\r\nsecond\r\nthird"));
        QCOMPARE(LogLines(window).size(), before);

        QTRY_VERIFY_WITH_TIMEOUT(!window->FlushArmed(), FlushWaitMs);
        QVERIFY(window->PendingText().isEmpty());
        QCOMPARE(LogLines(window).mid(before),
                 QStringList({QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("third")}));
    }

    void closingHidesAndTheNextReportBringsItBackMinimised()
    {
        TMiscDebugWindow *window = route->Window();
        QVERIFY(window);
        QTRY_VERIFY_WITH_TIMEOUT(!window->FlushArmed(), FlushWaitMs);
        const QStringList earlier = LogLines(window);
        QVERIFY(!earlier.isEmpty());

        QVERIFY(window->close());
        QVERIFY(!window->isVisible());
        QCOMPARE(route->Window(), window); // kept, not destroyed

        DebugOutput(QStringLiteral("after close"));
        QVERIFY(window->isVisible());
        QVERIFY(window->isMinimized());
        QTRY_VERIFY_WITH_TIMEOUT(!window->FlushArmed(), FlushWaitMs);
        QCOMPARE(LogLines(window), earlier + QStringList(QStringLiteral("after close")));
    }

    // A report every second all day must not grow the log without end, whether the
    // lines come in one burst or flush by flush.
    void onlyTheNewestLinesAreKept()
    {
        TMiscDebugWindow *window = route->Window();
        QVERIFY(window);
        const int total = 2 * TMiscDebugWindow::MostLines + 500;
        for (int i = 0; i < total; ++i)
            DebugOutput(QStringLiteral("line %1").arg(i));
        QTRY_VERIFY_WITH_TIMEOUT(!window->FlushArmed(), FlushWaitMs);
        QStringList lines = LogLines(window);
        QCOMPARE(lines.size(), TMiscDebugWindow::MostLines);
        QCOMPARE(lines.first(), QStringLiteral("line %1").arg(total - TMiscDebugWindow::MostLines));
        QCOMPARE(lines.last(), QStringLiteral("line %1").arg(total - 1));

        DebugOutput(QStringLiteral("one more"));
        QTRY_VERIFY_WITH_TIMEOUT(!window->FlushArmed(), FlushWaitMs);
        lines = LogLines(window);
        QCOMPARE(lines.size(), TMiscDebugWindow::MostLines);
        QCOMPARE(lines.first(), QStringLiteral("line %1").arg(total - TMiscDebugWindow::MostLines + 1));
        QCOMPARE(lines.last(), QStringLiteral("one more"));
    }

    void aReportLeavesTheActiveWindowActive()
    {
        if (QGuiApplication::platformName() == QLatin1String("offscreen"))
            QSKIP("the offscreen platform activates every window it shows; this needs a window manager");
        DebugOutput(QStringLiteral("before trading"));
        TMiscDebugWindow *window = route->Window();
        QVERIFY(window);
        window->hide();
        QWidget trading;
        trading.show();
        trading.activateWindow();
        QTRY_VERIFY(trading.isActiveWindow());

        DebugOutput(QStringLiteral("while trading"));
        QVERIFY(window->isVisible());
        QTest::qWait(50);
        QVERIFY(trading.isActiveWindow());
        QVERIFY(!window->isActiveWindow());
    }
};

QTEST_MAIN(TestMiscDebugWindow)
#include "tst_MiscDebugWindow.moc"
