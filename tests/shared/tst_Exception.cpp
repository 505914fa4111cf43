#include "shared/Exception.h"
#include "shared/LocalClock.h"

#include "support/FakeClock.h"

#include <QtTest>

#include <stdexcept>

class TestException : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { FakeClock::UseTimeZone("America/New_York"); }

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

    void localDateTimeFromUtcMillisecondsAndOffset_data()
    {
        QTest::addColumn<QDateTime>("utc");
        QTest::addColumn<int>("offsetMinutes");
        const auto utc = [](int y, int m, int d, int h, int min, int sec, int ms) {
            return QDateTime(QDate(y, m, d), QTime(h, min, sec, ms), Qt::UTC);
        };
        QTest::newRow("1970, no offset") << utc(1970, 1, 1, 0, 0, 0, 0) << 0;
        QTest::newRow("1970, west: the day before") << utc(1970, 1, 1, 0, 0, 0, 0) << -300;
        QTest::newRow("a millisecond before 1970") << utc(1969, 12, 31, 23, 59, 59, 999) << 0;
        QTest::newRow("1950, east") << utc(1950, 6, 1, 22, 30, 0, 250) << 120;
        QTest::newRow("east, past local midnight") << utc(2024, 3, 5, 23, 30, 0, 0) << 60;
        QTest::newRow("west, before local midnight") << utc(2024, 3, 6, 0, 15, 0, 0) << -330;
        QTest::newRow("last millisecond of a local day") << utc(2024, 12, 31, 21, 59, 59, 999) << 120;
    }

    void localDateTimeFromUtcMillisecondsAndOffset()
    {
        QFETCH(QDateTime, utc);
        QFETCH(int, offsetMinutes);
        // The local wall clock, worked out by the calendar.
        const QDateTime wall = utc.addSecs(offsetMinutes * 60);
        const double expected = double(QDate(1899, 12, 30).daysTo(wall.date()))
                                + wall.time().msecsSinceStartOfDay() / (SecondsPerDay * 1000.0);
        QCOMPARE(LocalDateTimeFromUtcMs(utc.toMSecsSinceEpoch(), qint64(offsetMinutes) * 60000), expected);
    }

    // New York: 2026-03-08 02:00 EST becomes 03:00 EDT, 2026-11-01 02:00 EDT 01:00 EST.
    void shownTimesAreRightOnTheDaysOfATimeChange_data()
    {
        QTest::addColumn<QDateTime>("utc");
        QTest::addColumn<QDateTime>("shown"); // only its date and time of day count
        const auto utc = [](int month, int day, int h, int min, int sec) {
            return QDateTime(QDate(2026, month, day), QTime(h, min, sec), Qt::UTC);
        };
        const auto shown = utc;
        QTest::newRow("spring, last second of winter time") << utc(3, 8, 6, 59, 59) << shown(3, 8, 1, 59, 59);
        QTest::newRow("spring, first second of summer time") << utc(3, 8, 7, 0, 0) << shown(3, 8, 3, 0, 0);
        QTest::newRow("spring, later that day") << utc(3, 8, 14, 0, 4) << shown(3, 8, 10, 0, 4);
        QTest::newRow("spring, last second of the day") << utc(3, 9, 3, 59, 59) << shown(3, 8, 23, 59, 59);
        QTest::newRow("autumn, first 01:30, summer time") << utc(11, 1, 5, 30, 0) << shown(11, 1, 1, 30, 0);
        QTest::newRow("autumn, second 01:30, winter time") << utc(11, 1, 6, 30, 0) << shown(11, 1, 1, 30, 0);
        QTest::newRow("autumn, later that day") << utc(11, 1, 15, 0, 4) << shown(11, 1, 10, 0, 4);
        QTest::newRow("autumn, the day after") << utc(11, 2, 15, 0, 4) << shown(11, 2, 10, 0, 4);
    }

    void shownTimesAreRightOnTheDaysOfATimeChange()
    {
        QFETCH(QDateTime, utc);
        QFETCH(QDateTime, shown);
        const double expected = double(QDate(1899, 12, 30).daysTo(shown.date()))
                                + shown.time().msecsSinceStartOfDay() / (SecondsPerDay * 1000.0);
        QCOMPARE(DateTimeFromQDateTime(utc), expected);
        const QDateTime back = QDateTimeFromDateTime(expected);
        QCOMPARE(back.date(), shown.date());
        QCOMPARE(back.time(), shown.time());
    }

    void nowIsTheLocalTime()
    {
        // Read twice around the clock under test, so a slow machine cannot fail it.
        const double before = DateTimeFromQDateTime(QDateTime::currentDateTime());
        const double now = Now();
        const double after = DateTimeFromQDateTime(QDateTime::currentDateTime());
        QVERIFY2(now >= before - 0.002 / SecondsPerDay && now <= after + 0.002 / SecondsPerDay,
                 qPrintable(QStringLiteral("%1 not within %2 .. %3").arg(now, 0, 'f', 9).arg(before, 0, 'f', 9).arg(after, 0, 'f', 9)));
    }
};

QTEST_GUILESS_MAIN(TestException)
#include "tst_Exception.moc"
