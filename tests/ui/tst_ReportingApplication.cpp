#include "client/ui/desktop/TReportingApplication.h"
#include "shared/Exception.h"

#include "../shared/support/DebugCapture.h"

#include <QtTest>

#include <optional>

class TThrowingWidget : public QWidget
{
    Q_OBJECT

protected:
    void mousePressEvent(QMouseEvent *) override { throw EAssertionFailed(QStringLiteral("boom")); }
};

class TestReportingApplication : public QObject
{
    Q_OBJECT

    std::optional<TDebugCapture> debug;
    const QStringList &Reports() const { return debug->Lines(); }

private Q_SLOTS:
    void init() { debug.emplace(); }
    void cleanup() { debug.reset(); }

    void anExceptionFromAnEventHandlerBecomesOneReport()
    {
        TThrowingWidget widget;
        widget.show();
        QTest::mouseClick(&widget, Qt::LeftButton);
        QCOMPARE(Reports(), QStringList(QStringLiteral("Class=EAssertionFailed, Message=boom, "
                                                     "Location=TReportingApplication.notify, TThrowingWidget")));
    }

    void theEventLoopCarriesOnAfterAThrowingTimer()
    {
        bool laterRan = false;
        QTimer::singleShot(0, [] { throw std::runtime_error("from a timer"); });
        QTimer::singleShot(1, [&laterRan] { laterRan = true; });
        QTRY_VERIFY(laterRan);
        QCOMPARE(Reports().size(), 1);
        QVERIFY(Reports().first().contains(QStringLiteral("Message=from a timer")));
    }
};

// The application under test is the client's own, so this test makes it itself.
int main(int argc, char *argv[])
{
    TReportingApplication application(argc, argv);
    TestReportingApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ReportingApplication.moc"
