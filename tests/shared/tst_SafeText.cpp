#include "shared/SafeText.h"

#include <QtTest>

class TestSafeText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void visibleText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("visible");
        const QString r = QString(QChar(0xFFFD));
        QTest::newRow("plain") << QStringLiteral("AAPL") << QStringLiteral("AAPL");
        QTest::newRow("accented") << QStringLiteral("SOCIÉTÉ") << QStringLiteral("SOCIÉTÉ");
        QTest::newRow("right-to-left override")
            << (QStringLiteral("ABC") + QChar(0x202E) + QStringLiteral("LPPA")) << (QStringLiteral("ABC") + r + QStringLiteral("LPPA"));
        QTest::newRow("isolate and zero width")
            << (QChar(0x2066) + QStringLiteral("A") + QChar(0x200B)) << (r + QStringLiteral("A") + r);
        QTest::newRow("controls, DEL, C1, separators")
            << (QStringLiteral("A\tB\nC") + QChar(0x7F) + QChar(0x85) + QChar(0x2028))
            << (QStringLiteral("A") + r + QStringLiteral("B") + r + QStringLiteral("C") + r + r + r);
        QTest::newRow("tag character outside the basic plane")
            << (QStringLiteral("X") + QString::fromUcs4(U"\U000E0041", 1)) << (QStringLiteral("X") + r);
    }
    void visibleText()
    {
        QFETCH(QString, text);
        QFETCH(QString, visible);
        QCOMPARE(VisibleText(text), visible);
        QCOMPARE(HasDeceptiveCharacters(text), text != visible);
    }

    void menuItemText()
    {
        // "AT&T" must not underline a T, and a tab must not open the shortcut column.
        QCOMPARE(MenuItemText(QStringLiteral("AT&T\tX")), QStringLiteral("AT&&T") + QChar(0xFFFD) + QStringLiteral("X"));
    }

    void terminalSafe_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("safe");
        QTest::newRow("plain and tab") << QByteArray("login\tjdoe") << QByteArray("login\tjdoe");
        QTest::newRow("utf-8 passes") << QByteArray("caf\xc3\xa9 \xe2\x80\xa6 \xf0\x9f\x93\x88")
                                      << QByteArray("caf\xc3\xa9 \xe2\x80\xa6 \xf0\x9f\x93\x88");
        QTest::newRow("escape sequence") << QByteArray("\x1b[2J") << QByteArray("\\x1b[2J");
        QTest::newRow("cr, del") << QByteArray("a\rb\x7f") << QByteArray("a\\x0db\\x7f");
        QTest::newRow("c1 in utf-8 and raw") << QByteArray("\xc2\x9b" "1m\x9b") << QByteArray("\\x9b1m\\x9b");
    }
    void terminalSafe()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, safe);
        QCOMPARE(TerminalSafe(bytes), safe);
    }
};

QTEST_GUILESS_MAIN(TestSafeText)
#include "tst_SafeText.moc"
