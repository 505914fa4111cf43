#include "shared/Exception.h"
#include "shared/LocalClock.h"

#include <QtTest>

#include <stdexcept>

class TestException : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void assertionTextNamesUnitAndLine()
    {
        QCOMPARE(AssertionText(nullptr, "/src/shared/TalkWithServer.cpp", 42),
                 QStringLiteral("Assertion failure (TalkWithServer.cpp, line 42)"));
        QCOMPARE(AssertionText("Unknown field type.", "Wire.cpp", 7),
                 QStringLiteral("Unknown field type. (Wire.cpp, line 7)"));
    }

    void failedAssertRaisesWithItsText()
    {
        try {
            AZ_ASSERT(1 + 1 == 3);
            QFAIL("no assertion error");
        } catch (const EAssertionFailed &e) {
            QVERIFY(e.Message().startsWith(QStringLiteral("Assertion failure (tst_Exception.cpp, line ")));
            QCOMPARE(ExceptionClassName(e), QStringLiteral("EAssertionFailed"));
        }
    }

    void foreignExceptionsHaveReadableClassNames()
    {
        const std::runtime_error e("boom");
        QCOMPARE(ExceptionClassName(e), QStringLiteral("std::runtime_error"));
        QCOMPARE(ExceptionMessage(e), QStringLiteral("boom"));
    }

    void dateTimeCountsDaysFromTheEpoch()
    {
        const QDateTime noon(QDate(1900, 1, 1), QTime(12, 0), Qt::LocalTime);
        QCOMPARE(DateTimeFromQDateTime(noon), 2.5);
        QCOMPARE(QDateTimeFromDateTime(2.5), noon);
        SetNowFunction([] { return 100.25; });
        QCOMPARE(Now(), 100.25);
        SetNowFunction({});
        QVERIFY(Now() > 40000);
    }
};

QTEST_GUILESS_MAIN(TestException)
#include "tst_Exception.moc"
