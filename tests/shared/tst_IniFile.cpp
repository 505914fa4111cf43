#include "shared/TIniFile.h"

#include "support/DebugCapture.h"
#include "support/WriteWholeFile.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray Absent = "(default)";

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readString_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("plain") << QByteArray("[General]\ntitle=Alerts") << QByteArray("General")
                               << QByteArray("title") << QByteArray("Alerts");
        QTest::newRow("blanks and tabs around everything")
            << QByteArray("  [ General ]  \n\t title \t=  My Alerts \t\n") << QByteArray("General")
            << QByteArray("title") << QByteArray("My Alerts");
        QTest::newRow("control characters trimmed")
            << QByteArray("\x01[General]\x7F\n\x02key=value\x03\x1F") << QByteArray("General")
            << QByteArray("key") << QByteArray("value");
        QTest::newRow("section name any case")
            << QByteArray("[GeNeRaL]\ntitle=x") << QByteArray("general") << QByteArray("title")
            << QByteArray("x");
        QTest::newRow("key name any case") << QByteArray("[General]\nWindow Count=4")
                                           << QByteArray("GENERAL") << QByteArray("window count")
                                           << QByteArray("4");
        QTest::newRow("value keeps its case") << QByteArray("[a]\nk=MiXeD") << QByteArray("a")
                                              << QByteArray("k") << QByteArray("MiXeD");
        QTest::newRow("split at the first equals sign")
            << QByteArray("[a]\nkey = x=y = z") << QByteArray("a") << QByteArray("key")
            << QByteArray("x=y = z");
        QTest::newRow("empty value is not the default")
            << QByteArray("[a]\ntitle=") << QByteArray("a") << QByteArray("title") << QByteArray("");
        QTest::newRow("blank value is empty") << QByteArray("[a]\ntitle=   ") << QByteArray("a")
                                              << QByteArray("title") << QByteArray("");
        QTest::newRow("missing key") << QByteArray("[a]\nother=1") << QByteArray("a")
                                     << QByteArray("title") << Absent;
        QTest::newRow("missing section") << QByteArray("[a]\ntitle=1") << QByteArray("b")
                                         << QByteArray("title") << Absent;
        QTest::newRow("key of another section") << QByteArray("[a]\nx=1\n[b]\ny=2")
                                                << QByteArray("b") << QByteArray("x") << Absent;
        QTest::newRow("lines before the first section ignored")
            << QByteArray("title=early\n[a]\nother=1") << QByteArray("a") << QByteArray("title")
            << Absent;
        QTest::newRow("comment line skipped") << QByteArray("[a]\n;title=commented")
                                              << QByteArray("a") << QByteArray("title") << Absent;
        QTest::newRow("indented comment skipped")
            << QByteArray("[a]\n   ; title=commented") << QByteArray("a") << QByteArray("title")
            << Absent;
        QTest::newRow("semicolon later on the line is part of the value")
            << QByteArray("[a]\ntitle=x ; y") << QByteArray("a") << QByteArray("title")
            << QByteArray("x ; y");
        QTest::newRow("line without equals ignored")
            << QByteArray("[a]\ntitle\ntitle2=ok") << QByteArray("a") << QByteArray("title") << Absent;
        QTest::newRow("unclosed bracket is no section")
            << QByteArray("[a]\n[b\nk=1") << QByteArray("a") << QByteArray("k") << QByteArray("1");
        QTest::newRow("last key wins") << QByteArray("[a]\nk=1\nk=2\nK=3") << QByteArray("a")
                                       << QByteArray("k") << QByteArray("3");
        QTest::newRow("repeated section overrides a key")
            << QByteArray("[a]\nk=1\n[b]\nk=x\n[A]\nk=2") << QByteArray("a") << QByteArray("k")
            << QByteArray("2");
        QTest::newRow("repeated section keeps keys only the first defines")
            << QByteArray("[a]\nk=1\n[b]\n[a]\nother=2") << QByteArray("a") << QByteArray("k")
            << QByteArray("1");
        QTest::newRow("empty key name") << QByteArray("[a]\n=v") << QByteArray("a") << QByteArray("")
                                        << QByteArray("v");
        QTest::newRow("CR LF line ends") << QByteArray("[a]\r\nk=1\r\nj=2\r\n") << QByteArray("a")
                                         << QByteArray("j") << QByteArray("2");
        QTest::newRow("CR line ends") << QByteArray("[a]\rk=1\rj=2") << QByteArray("a")
                                      << QByteArray("j") << QByteArray("2");
        QTest::newRow("byte order mark before the first section")
            << QByteArray("\xEF\xBB\xBF[General]\ntitle=t") << QByteArray("General")
            << QByteArray("title") << QByteArray("t");
        QTest::newRow("bytes passed through")
            << QByteArray("[a]\nt=caf\xC3\xA9") << QByteArray("a") << QByteArray("t")
            << QByteArray("caf\xC3\xA9");
    }

    void readString()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, expected);
        QCOMPARE(TIniFile::FromText(text).ReadString(section, key, Absent), expected);
    }

    void readInteger_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<qint32>("expected");
        const qint32 fallback = -12345;

        QTest::newRow("decimal") << QByteArray("12") << 12;
        QTest::newRow("leading zeros") << QByteArray("007") << 7;
        QTest::newRow("plus sign") << QByteArray("+7") << 7;
        QTest::newRow("minus sign") << QByteArray("-42") << -42;
        QTest::newRow("minus zero") << QByteArray("-0") << 0;
        QTest::newRow("largest") << QByteArray("2147483647") << 2147483647;
        QTest::newRow("smallest") << QByteArray("-2147483648") << qint32(-2147483647 - 1);
        QTest::newRow("too large") << QByteArray("2147483648") << fallback;
        QTest::newRow("too small") << QByteArray("-2147483649") << fallback;
        QTest::newRow("far too large") << QByteArray("99999999999999999999999") << fallback;
        QTest::newRow("dollar hex") << QByteArray("$1F") << 31;
        QTest::newRow("lower-case hex") << QByteArray("$ff") << 255;
        QTest::newRow("0x") << QByteArray("0x1f") << 31;
        QTest::newRow("0X") << QByteArray("0X10") << 16;
        QTest::newRow("colour in hex") << QByteArray("$FFFFFF") << 16777215;
        QTest::newRow("signed hex") << QByteArray("-$10") << -16;
        QTest::newRow("hex as a 32-bit pattern") << QByteArray("$FFFFFFFF") << -1;
        QTest::newRow("hex with high bit") << QByteArray("0x80000000") << qint32(-2147483647 - 1);
        QTest::newRow("signed hex too large") << QByteArray("+$80000000") << fallback;
        QTest::newRow("hex over 32 bits") << QByteArray("$100000000") << fallback;
        QTest::newRow("hex digits without prefix") << QByteArray("1F") << fallback;
        QTest::newRow("prefix alone") << QByteArray("0x") << fallback;
        QTest::newRow("dollar alone") << QByteArray("$") << fallback;
        QTest::newRow("sign after prefix") << QByteArray("0x-1") << fallback;
        QTest::newRow("sign alone") << QByteArray("-") << fallback;
        QTest::newRow("two signs") << QByteArray("--1") << fallback;
        QTest::newRow("empty") << QByteArray("") << fallback;
        QTest::newRow("word") << QByteArray("abc") << fallback;
        QTest::newRow("trailing letters") << QByteArray("12abc") << fallback;
        QTest::newRow("inner blank") << QByteArray("1 2") << fallback;
        QTest::newRow("blank after sign") << QByteArray("- 1") << fallback;
        QTest::newRow("fraction") << QByteArray("1.5") << fallback;
    }

    void readInteger()
    {
        QFETCH(QByteArray, value);
        QFETCH(qint32, expected);
        const TIniFile ini = TIniFile::FromText("[Alert Window 0]\ncolor = " + value + "\n");
        QCOMPARE(ini.ReadInteger("Alert Window 0", "color", -12345), expected);
    }

    void readIntegerOfAMissingKeyIsTheDefault()
    {
        const TIniFile ini = TIniFile::FromText("[General]\ntitle=x");
        QCOMPARE(ini.ReadInteger("General", "window count", 0), 0);
        QCOMPARE(ini.ReadInteger("Nowhere", "window count", 16777215), 16777215);
    }

    // A file saved by an older editor in Latin-1 keeps its accents too.
    void readTextDecodesUtf8OrElseLatin1()
    {
        const TIniFile ini = TIniFile::FromText("[General]\ntitle=Caf\xC3\xA9\nold=Caf\xE9\nempty=");
        QCOMPARE(ini.ReadText("General", "title", QStringLiteral("x")), QStringLiteral("Caf\u00e9"));
        QCOMPARE(ini.ReadText("General", "old", QStringLiteral("x")), QStringLiteral("Caf\u00e9"));
        QCOMPARE(ini.ReadText("General", "empty", QStringLiteral("x")), QString());
        QCOMPARE(ini.ReadText("General", "absent", QStringLiteral("x")), QStringLiteral("x"));
    }

    void fileIsReadWholeWhenOpened()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("KVX.ini"));
        QVERIFY(WriteWholeFile(path, "[General]\r\ntitle=From file\r\nwindow count=3\r\n"
                                     "[Connection]\r\naddress=host:1\r\n"));
        const TIniFile ini(path);
        QVERIFY(WriteWholeFile(path, "[General]\ntitle=Changed later\n"));
        QCOMPARE(ini.ReadString("General", "title", Absent), QByteArray("From file"));
        QCOMPARE(ini.ReadInteger("General", "window count", 0), 3);
        QCOMPARE(ini.ReadString("connection", "ADDRESS", Absent), QByteArray("host:1"));
    }

    // A damaged file of any size costs at most the read limit; the line the limit cuts
    // and everything behind it are left out, not read short.
    void onlyTheStartOfAnOversizedFileIsRead()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("KVX.ini"));
        QByteArray content = "[General]\ntitle=Kept\ncut=";
        content += QByteArray(TIniFile::MostBytes, 'x') + "\n[Connection]\naddress=host:1\n";
        QVERIFY(WriteWholeFile(path, content));
        const TDebugCapture debug;
        const QStringList &reports = debug.Lines();
        const TIniFile ini(path);
        QCOMPARE(ini.ReadString("General", "title", Absent), QByteArray("Kept"));
        QCOMPARE(ini.ReadString("General", "cut", Absent), Absent);
        QCOMPARE(ini.ReadString("Connection", "address", Absent), Absent);
        QCOMPARE(reports.size(), 1);
        QVERIFY2(reports[0].contains(path), qPrintable(reports[0]));
    }

    void missingFileReadsEmpty()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const TIniFile ini(dir.filePath(QStringLiteral("KVX.ini")));
        QCOMPARE(ini.ReadString("General", "title", "Vadevor Azurev"), QByteArray("Vadevor Azurev"));
        QCOMPARE(ini.ReadInteger("General", "window count", 0), 0);
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_IniFile.moc"
