#include "shared/EZLibError.h"
#include "shared/TZLibCompressor.h"
#include "shared/TZLibDecompressor.h"
#include "support/TestBytes.h"

#include <QtTest>

#include <zlib.h>

namespace {

// Inflates a whole client stream with zlib itself, the way the server does.
// Returns false when zlib rejects the stream.
bool InflateWithZLib(const QByteArray &stream, QByteArray &inflated)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return false;
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(stream.constData()));
    z.avail_in = static_cast<uInt>(stream.size());
    int result = Z_OK;
    inflated.clear();
    while (result == Z_OK && (z.avail_in > 0 || z.avail_out == 0)) {
        char area[1000];
        z.next_out = reinterpret_cast<Bytef *>(area);
        z.avail_out = sizeof(area);
        result = inflate(&z, Z_SYNC_FLUSH);
        inflated.append(area, static_cast<int>(sizeof(area) - z.avail_out));
    }
    inflateEnd(&z);
    return result == Z_OK || result == Z_BUF_ERROR;
}

// A server stream made by zlib itself: each piece ends in a sync flush, the stream is
// finished when asked, and it may be bound to a preset dictionary.
QByteArray DeflateWithZLib(const QByteArrayList &pieces, bool finish = false,
                           const QByteArray &dictionary = QByteArray())
{
    z_stream z{};
    deflateInit(&z, Z_DEFAULT_COMPRESSION);
    if (!dictionary.isEmpty())
        deflateSetDictionary(&z, reinterpret_cast<const Bytef *>(dictionary.constData()),
                             static_cast<uInt>(dictionary.size()));
    QByteArray stream;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const QByteArray &piece = pieces.at(i);
        QByteArray area(static_cast<int>(deflateBound(&z, piece.size())) + 64, '\0');
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(piece.constData()));
        z.avail_in = static_cast<uInt>(piece.size());
        z.next_out = reinterpret_cast<Bytef *>(area.data());
        z.avail_out = static_cast<uInt>(area.size());
        deflate(&z, (finish && i == pieces.size() - 1) ? Z_FINISH : Z_SYNC_FLUSH);
        stream.append(area.constData(), area.size() - static_cast<int>(z.avail_out));
    }
    deflateEnd(&z);
    return stream;
}

QByteArray AlertText()
{
    QByteArray text;
    for (int i = 0; i < 40; ++i)
        text += "QS\r\nsymbol=SYM" + QByteArray::number(i * 7) + "&price=" + QByteArray::number(i * 1.25) + "\n";
    return text;
}

} // namespace

class TestZLib : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void clientStreamBeginsWithTheLevelsHeader_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QByteArray>("header");
        QTest::newRow("none") << int(zcNone) << QByteArray("\x78\x01");
        QTest::newRow("fastest") << int(zcFastest) << QByteArray("\x78\x01");
        QTest::newRow("default") << int(zcDefault) << QByteArray("\x78\x9c");
        QTest::newRow("best") << int(zcBest) << QByteArray("\x78\xda");
    }

    void clientStreamBeginsWithTheLevelsHeader()
    {
        QFETCH(int, level);
        QFETCH(QByteArray, header);
        TZLibCompressor compressor(static_cast<TZCompressionLevel>(level));
        compressor.Write("command");
        compressor.Flush();
        QCOMPARE(compressor.Output().left(2), header);
        QByteArray inflated;
        QVERIFY(InflateWithZLib(compressor.Output(), inflated));
        QCOMPARE(inflated, QByteArray("command"));
    }

    void newestChunkLeavesWithTheFlush()
    {
        TZLibCompressor compressor;
        compressor.Write("first chunk;");
        compressor.Write("second chunk");
        QByteArray inflated;
        QVERIFY(InflateWithZLib(compressor.Output(), inflated));
        QVERIFY(QByteArray("first chunk;").startsWith(inflated));

        compressor.Flush();
        QByteArray stream = compressor.TakeOutput();
        QVERIFY(InflateWithZLib(stream, inflated));
        QCOMPARE(inflated, QByteArray("first chunk;second chunk"));
        // A sync flush ends on an empty stored block.
        QVERIFY(stream.endsWith(QByteArray("\0\0\xff\xff", 4)));

        // The next batch continues the same stream.
        compressor.Write(";third");
        compressor.Flush();
        stream += compressor.Output();
        QVERIFY(InflateWithZLib(stream, inflated));
        QCOMPARE(inflated, QByteArray("first chunk;second chunk;third"));
    }

    void flushWithNothingWrittenAddsNothing()
    {
        TZLibCompressor compressor;
        compressor.Flush();
        QCOMPARE(compressor.Output(), QByteArray());

        compressor.Write("ping");
        compressor.Flush();
        const QByteArray afterFirstFlush = compressor.Output();
        compressor.Write(QByteArray());
        compressor.Flush();
        QCOMPARE(compressor.Output(), afterFirstFlush);
    }

    void largeIncompressibleDataRoundTrips()
    {
        QRandomGenerator random(20240601);
        const QByteArray data = RandomBytes(random, 100000);
        TZLibCompressor compressor;
        compressor.Write(data.left(70000));
        compressor.Write(data.mid(70000));
        compressor.Flush();
        QVERIFY(compressor.Output().size() > data.size());
        QByteArray inflated;
        QVERIFY(InflateWithZLib(compressor.Output(), inflated));
        QCOMPARE(inflated, data);

        TZLibDecompressor decompressor;
        decompressor.Decompress(DeflateWithZLib({data}));
        QCOMPARE(decompressor.Output(), data);
    }

    void serverStreamSplitAnywhereInflatesTheSame()
    {
        const QByteArray text = AlertText();
        const QByteArray stream = DeflateWithZLib({text.left(100), text.mid(100, 900), text.mid(1000)});
        for (qsizetype split = 0; split <= stream.size(); ++split) {
            TZLibDecompressor decompressor;
            decompressor.Decompress(stream.left(split));
            decompressor.Decompress(stream.mid(split));
            QCOMPARE(decompressor.Output(), text);
        }

        TZLibDecompressor byteByByte;
        for (char byte : stream)
            byteByByte.Decompress(QByteArray(1, byte));
        QCOMPARE(byteByByte.Output(), text);
    }

    void emptyReadIsNoInput()
    {
        TZLibDecompressor decompressor;
        decompressor.Decompress(QByteArray());
        decompressor.Decompress(DeflateWithZLib({"alive"}));
        QCOMPARE(decompressor.Output(), QByteArray("alive"));
    }

    void badServerStreamsRaiseOnceThenStayDead_data()
    {
        QTest::addColumn<QByteArrayList>("reads");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QByteArray>("inflatedBeforeError");
        const QByteArray good = DeflateWithZLib({"hello"});
        const QByteArray finished = DeflateWithZLib({"bye"}, true);
        QTest::newRow("not a zlib header")
            << QByteArrayList{"plain text"} << QStringLiteral("data error") << QByteArray();
        QTest::newRow("invalid block type")
            << QByteArrayList{good, QByteArray("\xff\xff\xff\xff")} << QStringLiteral("data error")
            << QByteArray("hello");
        QTest::newRow("input after the end, same read")
            << QByteArrayList{finished + "more"} << QStringLiteral("stream end") << QByteArray("bye");
        QTest::newRow("input after the end, next read")
            << QByteArrayList{finished, "more"} << QStringLiteral("stream end") << QByteArray("bye");
        QTest::newRow("preset dictionary")
            << QByteArrayList{DeflateWithZLib({"symbol=IBM"}, false, "symbol=")}
            << QStringLiteral("need dictionary") << QByteArray();
    }

    void badServerStreamsRaiseOnceThenStayDead()
    {
        QFETCH(QByteArrayList, reads);
        QFETCH(QString, error);
        QFETCH(QByteArray, inflatedBeforeError);
        TZLibDecompressor decompressor;
        for (qsizetype i = 0; i + 1 < reads.size(); ++i)
            decompressor.Decompress(reads.at(i));
        try {
            decompressor.Decompress(reads.last());
            QFAIL("bad input was inflated without an error");
        } catch (const EZDecompressionError &e) {
            QCOMPARE(e.Message(), error);
            QCOMPARE(ExceptionClassName(e), QStringLiteral("EZDecompressionError"));
        }
        QCOMPARE(decompressor.Output(), inflatedBeforeError);
        decompressor.Decompress(reads.last());
        decompressor.Decompress(DeflateWithZLib({"later"}));
        QCOMPARE(decompressor.Output(), inflatedBeforeError);
    }

    void errorTextsAreZLibsOwn()
    {
        for (int code = Z_VERSION_ERROR; code <= Z_NEED_DICT; ++code)
            QCOMPARE(ZLibErrorText(code), QString::fromLatin1(zError(code)));
    }
};

QTEST_GUILESS_MAIN(TestZLib)
#include "tst_ZLib.moc"
