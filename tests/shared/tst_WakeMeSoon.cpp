#include "shared/Exception.h"
#include "shared/TWakeMeSoon.h"
#include "support/DebugCapture.h"
#include "support/EventLoopSentinel.h"

#include <QtTest>

#include <memory>
#include <optional>
#include <stdexcept>

class TestWakeMeSoon : public QObject
{
    Q_OBJECT

private:
    std::optional<TDebugCapture> debug_;
    const QStringList &Reports() const { return debug_->Lines(); }

private Q_SLOTS:
    void init() { debug_.emplace(); }
    void cleanup() { debug_.reset(); }

    void manyRequestsGiveOneCall()
    {
        TWakeMeSoon wake;
        int calls = 0;
        wake.OnWakeUp = [&] { ++calls; };
        QVERIFY(!wake.IsPending());
        wake.RequestWakeUp();
        wake.RequestWakeUp();
        wake.RequestWakeUp();
        QVERIFY(wake.IsPending());
        QCOMPARE(calls, 0);
        QTRY_COMPARE_WITH_TIMEOUT(calls, 1, 5000);
        QVERIFY(!wake.IsPending());
        QVERIFY(EventLoopSentinel::PassThrough());
        QCOMPARE(calls, 1);
    }

    void requestFromInsideTheCallQueuesAnotherCall()
    {
        TWakeMeSoon wake;
        int calls = 0;
        int callsWhenRequestReturned = -1;
        wake.OnWakeUp = [&] {
            ++calls;
            if (calls == 1) {
                wake.RequestWakeUp();
                callsWhenRequestReturned = calls;
            }
        };
        wake.RequestWakeUp();
        QTRY_COMPARE_WITH_TIMEOUT(calls, 2, 5000);
        // The second call came from the loop, not from within RequestWakeUp.
        QCOMPARE(callsWhenRequestReturned, 1);
        QVERIFY(!wake.IsPending());
        QVERIFY(EventLoopSentinel::PassThrough());
        QCOMPARE(calls, 2);
    }

    void callsFollowTheOrderOfFirstRequests()
    {
        TWakeMeSoon first;
        TWakeMeSoon second;
        QStringList order;
        first.OnWakeUp = [&] { order << QStringLiteral("first"); };
        second.OnWakeUp = [&] { order << QStringLiteral("second"); };
        second.RequestWakeUp();
        first.RequestWakeUp();
        second.RequestWakeUp();
        QTRY_COMPARE_WITH_TIMEOUT(order.size(), 2, 5000);
        QCOMPARE(order, (QStringList{QStringLiteral("second"), QStringLiteral("first")}));
    }

    void destroyingDropsAQueuedCall()
    {
        int droppedCalls = 0;
        auto doomed = std::make_unique<TWakeMeSoon>();
        doomed->OnWakeUp = [&] { ++droppedCalls; };
        doomed->RequestWakeUp();
        doomed.reset();

        // A wake-up requested afterwards proves the loop has run past the dropped one.
        TWakeMeSoon witness;
        bool witnessCalled = false;
        witness.OnWakeUp = [&] { witnessCalled = true; };
        witness.RequestWakeUp();
        QTRY_VERIFY_WITH_TIMEOUT(witnessCalled, 5000);
        QCOMPARE(droppedCalls, 0);
    }

    void callMayDestroyItsOwnWakeUp()
    {
        // The callback goes on using its own captured state after the reset.
        auto wake = std::make_unique<TWakeMeSoon>();
        QByteArray seen;
        wake->OnWakeUp = [&wake, &seen, label = QByteArray("still here")] {
            wake.reset();
            seen = label;
        };
        wake->RequestWakeUp();
        QTRY_COMPARE_WITH_TIMEOUT(seen, QByteArray("still here"), 5000);
        QVERIFY(!wake);
        QVERIFY(Reports().isEmpty());
    }

    void withoutCallbackTheWakeUpOnlyClearsPending()
    {
        TWakeMeSoon wake;
        wake.RequestWakeUp();
        QVERIFY(wake.IsPending());
        QTRY_VERIFY_WITH_TIMEOUT(!wake.IsPending(), 5000);

        int calls = 0;
        wake.OnWakeUp = [&] { ++calls; };
        wake.RequestWakeUp();
        QTRY_COMPARE_WITH_TIMEOUT(calls, 1, 5000);
    }

    void errorInTheCallIsReportedAndTheObjectStaysUsable()
    {
        TWakeMeSoon wake;
        int calls = 0;
        wake.OnWakeUp = [&] {
            ++calls;
            if (calls == 1)
                throw std::runtime_error("flush failed");
            if (calls == 2)
                throw EAssertionFailed(QStringLiteral("Assertion failure (Session.cpp, line 9)"));
        };
        wake.RequestWakeUp();
        QTRY_COMPARE_WITH_TIMEOUT(Reports().size(), 1, 5000);
        QCOMPARE(Reports().first(),
                 QStringLiteral("Class=std::runtime_error, Message=flush failed, "
                                "Location=WakeMeSoon, TWakeMeSoon.WndPrc"));
        QVERIFY(!wake.IsPending());

        wake.RequestWakeUp();
        QTRY_COMPARE_WITH_TIMEOUT(Reports().size(), 2, 5000);
        QCOMPARE(Reports().last(),
                 QStringLiteral("Class=EAssertionFailed, Message=Assertion failure (Session.cpp, "
                                "line 9), Location=WakeMeSoon, TWakeMeSoon.WndPrc"));

        wake.RequestWakeUp();
        QTRY_COMPARE_WITH_TIMEOUT(calls, 3, 5000);
        QCOMPARE(Reports().size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestWakeMeSoon)
#include "tst_WakeMeSoon.moc"
