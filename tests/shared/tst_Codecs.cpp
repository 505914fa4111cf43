#include "shared/DisplayText.h"
#include "shared/P64.h"
#include "shared/UrlEncode.h"
#include "support/TestBytes.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

const QByteArray P64Alphabet =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-";

// Standard Base64 text rewritten into the P64 alphabet, character by character.
QByteArray Base64AsP64(const QByteArray &data)
{
    const QByteArray standard =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    QByteArray text = data.toBase64(QByteArray::OmitTrailingEquals);
    for (char &c : text)
        c = P64Alphabet[standard.indexOf(c)];
    return text;
}

} // namespace

class TestCodecs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void encodeP64_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("one byte") << QByteArray("a") << QByteArray("yq");
        QTest::newRow("two bytes") << QByteArray("ab") << QByteArray("ywi");
        QTest::newRow("three bytes") << QByteArray("abc") << QByteArray("ywjJ");
        QTest::newRow("four bytes") << QByteArray("abcd") << QByteArray("ywjJza");
        QTest::newRow("zero bytes use the first letter") << QByteArray(3, '\0') << QByteArray("aaaa");
        QTest::newRow("all bits set use the last character")
            << QByteArray(3, '\xFF') << QByteArray("----");
        QTest::newRow("index 62") << QByteArray("\xFB\xEF\xBE") << QByteArray("____");
        QTest::newRow("digits") << QByteArray("\xD3\x5D\xB7") << QByteArray("0123");
    }

    void encodeP64()
    {
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, text);
        QCOMPARE(EncodeP64(data), text);
    }

    void encodeP64LengthHasNoFill()
    {
        const QList<int> expected{0, 2, 3, 4, 6, 7, 8, 10};
        for (int n = 0; n < expected.size(); ++n)
            QCOMPARE(EncodeP64(QByteArray(n, 'x')).size(), expected[n]);
    }

    void encodeP64IsBase64InAnotherAlphabet()
    {
        QRandomGenerator random(20240611);
        for (int round = 0; round < 300; ++round) {
            const QByteArray data = RandomBytes(random, int(random.bounded(200)));
            const QByteArray text = EncodeP64(data);
            for (char c : text)
                QVERIFY2(P64Alphabet.contains(c), qPrintable(QString::fromLatin1(text)));
            QCOMPARE(text, Base64AsP64(data));
        }
    }

    void percentDecode_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("decoded");
        QTest::newRow("either letter case") << QByteArray("%41%4a%4A") << QByteArray("AJJ");
        QTest::newRow("percent at the end") << QByteArray("100%") << QByteArray("100%");
        QTest::newRow("not a hex digit") << QByteArray("%G1") << QByteArray("%G1");
        QTest::newRow("second digit missing") << QByteArray("abc%2") << QByteArray("abc%2");
        QTest::newRow("second digit not hex") << QByteArray("%4Z") << QByteArray("%4Z");
        QTest::newRow("lone percent") << QByteArray("%") << QByteArray("%");
        QTest::newRow("plus stays") << QByteArray("a+b") << QByteArray("a+b");
        QTest::newRow("escaped plus") << QByteArray("%2B") << QByteArray("+");
        QTest::newRow("escaped separators") << QByteArray("x%26y%3Dz") << QByteArray("x&y=z");
        QTest::newRow("zero byte") << QByteArray("%00") << QByteArray(1, '\0');
        QTest::newRow("high byte, no charset conversion")
            << QByteArray("%C3%A9%FF") << QByteArray("\xC3\xA9\xFF");
        QTest::newRow("percent before an escape") << QByteArray("%%41") << QByteArray("%A");
        QTest::newRow("decoded percent is not decoded again")
            << QByteArray("%2541") << QByteArray("%41");
        QTest::newRow("partial escape before a full one") << QByteArray("%4%41") << QByteArray("%4A");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("plain text") << QByteArray("IBM") << QByteArray("IBM");
    }

    void percentDecode()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, decoded);
        QCOMPARE(PercentDecode(text), decoded);
    }

    void hexDigitValue_data()
    {
        QTest::addColumn<char>("c");
        QTest::addColumn<int>("value");
        QTest::newRow("0") << '0' << 0;
        QTest::newRow("9") << '9' << 9;
        QTest::newRow("A") << 'A' << 10;
        QTest::newRow("f") << 'f' << 15;
        QTest::newRow("G") << 'G' << -1;
        QTest::newRow("before 0") << '/' << -1;
        QTest::newRow("after 9") << ':' << -1;
        QTest::newRow("before a") << '`' << -1;
        QTest::newRow("high byte") << '\xC1' << -1;
    }

    void hexDigitValue()
    {
        QFETCH(char, c);
        QFETCH(int, value);
        QCOMPARE(HexDigitValue(c), value);
    }

    void displayText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("ASCII") << QByteArray("IBM 10:31") << QStringLiteral("IBM 10:31");
        QTest::newRow("NUL kept") << QByteArray("A\0B", 3) << QString(QStringLiteral("A") + QChar(0) + QStringLiteral("B"));
        QTest::newRow("UTF-8") << QByteArray("\xC3\xA9T\xE2\x82\xAC") << QStringLiteral("\u00E9T\u20AC");
        QTest::newRow("byte-order mark kept") << QByteArray("\xEF\xBB\xBF" "A") << QStringLiteral("\uFEFFA");
        QTest::newRow("Latin-1 bytes") << QByteArray("\xE9T\xE9") << QStringLiteral("\u00E9T\u00E9");
        QTest::newRow("cut-off sequence") << QByteArray("A\xC3") << QStringLiteral("A\u00C3");
        QTest::newRow("overlong NUL") << QByteArray("\xC0\x80") << QStringLiteral("\u00C0\u0080");
        QTest::newRow("surrogate half") << QByteArray("\xED\xA0\x80") << QStringLiteral("\u00ED\u00A0\u0080");
    }

    void displayText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(DisplayText(bytes), text);
    }
};

QTEST_GUILESS_MAIN(TestCodecs)
#include "tst_Codecs.moc"
