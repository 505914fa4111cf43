#include "shared/Exception.h"
#include "shared/TMessageToServer.h"

#include <QtTest>

#include <string>

// Items a request cannot be built from are refused when the program is compiled.
static_assert(FieldKindOf<wchar_t>() == fkUnknown);
static_assert(FieldKindOf<char16_t>() == fkUnknown);
static_assert(FieldKindOf<const wchar_t *>() == fkUnknown);
static_assert(FieldKindOf<std::wstring>() == fkUnknown);
static_assert(FieldKindOf<void *>() == fkUnknown);
static_assert(FieldKindOf<QObject *>() == fkUnknown);
static_assert(FieldKindOf<QDate>() == fkUnknown);
static_assert(FieldKindOf<quint64>() == fkUnknown);
static_assert(FieldKindOf<decltype("literal")>() == fkZeroTerminated);
static_assert(FieldKindOf<quint32>() == fkInteger);

class TestServerMessages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void pingIsBuiltFromMixedItems()
    {
        const TMessageToServer ping = MakeMessage("command", "ping", "response", '1');
        QCOMPARE(ping.Count(), 2);
        QCOMPARE(ping.Fields().at(0).Key, QByteArray("command"));
        QCOMPARE(ping.Value("command"), QByteArray("ping"));
        QCOMPARE(ping.Value("response"), QByteArray("1"));
        QCOMPARE(MessageToDebugText(ping),
                 QStringLiteral("(\"command\" --> \"ping\", \"response\" --> \"1\")"));
    }

    void itemsBecomeText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("negative 32-bit") << FieldToText(qint32(-2147483647 - 1)) << QByteArray("-2147483648");
        QTest::newRow("64-bit") << FieldToText(Q_INT64_C(-9000000000123)) << QByteArray("-9000000000123");
        QTest::newRow("unsigned 32-bit") << FieldToText(quint32(4294967295u)) << QByteArray("4294967295");
        QTest::newRow("true") << FieldToText(true) << QByteArray("1");
        QTest::newRow("false") << FieldToText(false) << QByteArray("0");
        QTest::newRow("character") << FieldToText('x') << QByteArray("x");
        QTest::newRow("bytes with a zero") << FieldToText(QByteArray("a\0b", 3)) << QByteArray("a\0b", 3);
        const char *terminated = "abc\0def";
        QTest::newRow("zero-terminated") << FieldToText(terminated) << QByteArray("abc");
        QTest::newRow("null pointer") << FieldToText(static_cast<const char *>(nullptr)) << QByteArray();
        QTest::newRow("text as UTF-8") << FieldToText(QStringLiteral("Kurs \u20ac")) << QByteArray("Kurs \xe2\x82\xac");
        QTest::newRow("variant number") << FieldToText(QVariant(42)) << QByteArray("42");
        QTest::newRow("variant text") << FieldToText(QVariant(QStringLiteral("AAPL"))) << QByteArray("AAPL");
        QTest::newRow("variant raw bytes") << FieldToText(QVariant(QByteArray("\xff\x01"))) << QByteArray("\xff\x01");
    }

    void itemsBecomeText()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, expected);
        QCOMPARE(text, expected);
    }

    void floatsUseFifteenDigitsAndTheLocaleSeparator_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("expected");
        const QLocale german(QLocale::German, QLocale::Germany);
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("comma") << german << 1.5 << QByteArray("1,5");
        QTest::newRow("point") << english << 1.5 << QByteArray("1.5");
        QTest::newRow("no group separator") << german << 1234567.25 << QByteArray("1234567,25");
        QTest::newRow("fifteen digits") << english << 2.0 / 3.0 << QByteArray("0.666666666666667");
        QTest::newRow("negative") << german << -0.25 << QByteArray("-0,25");
        QTest::newRow("large") << german << 1.5e20 << QByteArray("1,5e+20");
    }

    void floatsUseFifteenDigitsAndTheLocaleSeparator()
    {
        QFETCH(QLocale, locale);
        QFETCH(double, value);
        QFETCH(QByteArray, expected);
        QLocale::setDefault(locale);
        QCOMPARE(FieldToText(value), expected);
        QCOMPARE(MakeMessage("price", value).Value("price"), expected);
    }

    void oddItemCountIsAnAssertion()
    {
        try {
            MakeMessage(QVector<QByteArray>{"command", "ping", "response"});
            QFAIL("an odd item count was accepted");
        } catch (const EAssertionFailed &e) {
            QVERIFY2(e.Message().startsWith(QStringLiteral("Assertion failure (TMessageToServer.cpp, line ")),
                     qPrintable(e.Message()));
        }
        QCOMPARE(MakeMessage(QVector<QByteArray>{"a", "1", "b", ""}).Count(), 2);
    }

    void emptyMeansNoPairWithAKey_data()
    {
        QTest::addColumn<QVector<QByteArray>>("items");
        QTest::addColumn<bool>("empty");
        QTest::newRow("no pairs") << QVector<QByteArray>{} << true;
        QTest::newRow("only empty keys") << QVector<QByteArray>{"", "x", "", ""} << true;
        QTest::newRow("key with empty value") << QVector<QByteArray>{"", "x", "command", ""} << false;
    }

    void emptyMeansNoPairWithAKey()
    {
        QFETCH(QVector<QByteArray>, items);
        QFETCH(bool, empty);
        QCOMPARE(MakeMessage(items).IsEmpty(), empty);
    }

    void debugTextShowsEveryPair()
    {
        QCOMPARE(MessageToDebugText(TMessageToServer()), QStringLiteral("()"));
        const TMessageToServer message = MakeMessage("", "hidden", "category", "");
        QCOMPARE(MessageToDebugText(message),
                 QStringLiteral("(\"\" --> \"hidden\", \"category\" --> \"\")"));
        // Bytes that are not UTF-8 still show one character each, so values that
        // differ in them read differently.
        QCOMPARE(MessageToDebugText(MakeMessage("s\xE9", "\xE8", "t", "\xC3\xA9")),
                 QStringLiteral("(\"s\u00E9\" --> \"\u00E8\", \"t\" --> \"\u00E9\")"));
    }

    void debugTextHidesSecrets_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<bool>("hidden");
        QTest::newRow("password") << QByteArray("password") << true;
        QTest::newRow("any letter case") << QByteArray("PassWord") << true;
        QTest::newRow("passwd") << QByteArray("passwd") << true;
        QTest::newRow("inside a longer key") << QByteArray("proxy_password") << true;
        QTest::newRow("secret") << QByteArray("client_secret") << true;
        QTest::newRow("token") << QByteArray("AuthToken") << true;
        QTest::newRow("user name") << QByteArray("username") << false;
        QTest::newRow("session") << QByteArray("session_id") << false;
    }

    void debugTextHidesSecrets()
    {
        QFETCH(QByteArray, key);
        QFETCH(bool, hidden);
        const TMessageToServer message = MakeMessage("command", "login", key, "hunter2");
        const QString shown = hidden ? QStringLiteral("***") : QStringLiteral("hunter2");
        QCOMPARE(MessageToDebugText(message),
                 QStringLiteral("(\"command\" --> \"login\", \"") + QString::fromUtf8(key)
                     + QStringLiteral("\" --> \"") + shown + QStringLiteral("\")"));
    }
};

QTEST_GUILESS_MAIN(TestServerMessages)
#include "tst_ServerMessages.moc"
