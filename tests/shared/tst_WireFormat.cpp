#include "shared/WireFormat.h"

#include <QtTest>

Q_DECLARE_METATYPE(TMessageToServer)

namespace {

// The keep-alive ping with message identifier 7, byte for byte as the server reads it.
const char PingBytes[] = "\x0a\0\0\0message_id\x01\0\0\0" "7"
                         "\x07\0\0\0command\x04\0\0\0ping\x08\0\0\0response\x01\0\0\0" "1"
                         "\0\0\0\0";
static_assert(sizeof(PingBytes) - 1 == 59);

// A byte string from a literal that may hold zero bytes.
template <qsizetype N>
QByteArray Bytes(const char (&text)[N]) { return QByteArray(text, N - 1); }

// Feeds the bytes to the frame cutter in two reads split at the given point, the
// way the session keeps an incomplete tail, and returns every frame delivered.
QVector<TServerFrame> CutInTwoReads(const QByteArray &stream, qsizetype split, int &deliveredByFirstRead)
{
    QByteArray pending = stream.left(split);
    TFrameCut first = CutFrames(pending);
    deliveredByFirstRead = static_cast<int>(first.Frames.size());
    pending.remove(0, first.BytesUsed);
    pending.append(stream.mid(split));
    const TFrameCut second = CutFrames(pending);
    QVector<TServerFrame> frames = first.Frames + second.Frames;
    if (second.BytesUsed != pending.size() || first.Status != csGood || second.Status != csGood)
        frames.clear();
    return frames;
}

} // namespace

class TestWireFormat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openingLinesAreTwoPlainLines()
    {
        QCOMPARE(OpeningLines(),
                 QByteArray("command=set_output&mode=zlib\r\ncommand=set_input&mode=zlib\r\n"));
        QCOMPARE(OpeningLines().size(), 59);
    }

    void requestsEncodeByteForByte_data()
    {
        QTest::addColumn<TMessageToServer>("message");
        QTest::addColumn<int>("messageId");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("ping with identifier 7")
            << MakeMessage("command", "ping", "response", '1') << 7 << Bytes(PingBytes);
        QTest::newRow("no callback, no identifier")
            << MakeMessage("command", "add_alert_category", "category", "QS") << 0
            << Bytes("\x07\0\0\0command\x12\0\0\0add_alert_category\x08\0\0\0category\x02\0\0\0QS\0\0\0\0");
        QTest::newRow("empty key left out, empty value a zero count")
            << MakeMessage("", "hidden", "password", "") << 0
            << Bytes("\x08\0\0\0password\0\0\0\0\0\0\0\0");
        QTest::newRow("large identifier")
            << MakeMessage("command", "login") << 1000
            << Bytes("\x0a\0\0\0message_id\x04\0\0\0" "1000" "\x07\0\0\0command\x05\0\0\0login\0\0\0\0");
    }

    void requestsEncodeByteForByte()
    {
        QFETCH(TMessageToServer, message);
        QFETCH(int, messageId);
        QFETCH(QByteArray, expected);
        QCOMPARE(EncodeRequest(message, messageId), expected);
    }

    void framesAreCut_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("messageId");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("empty body") << Bytes("\x07\0\0\0\0\0\0\0") << 7 << QByteArray("");
        QTest::newRow("abc") << Bytes("\x07\0\0\0\x03\0\0\0abc") << 7 << QByteArray("abc");
        QTest::newRow("identifier is signed, routing is not ours")
            << Bytes("\xfe\xff\xff\xff\x01\0\0\0z") << -2 << QByteArray("z");
        QTest::newRow("multi-byte length")
            << Bytes("\x01\x01\0\0\x2c\x01\0\0") + QByteArray(300, 'q') << 257 << QByteArray(300, 'q');
    }

    void framesAreCut()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, messageId);
        QFETCH(QByteArray, body);
        const TFrameCut cut = CutFrames(bytes);
        QCOMPARE(cut.Status, csGood);
        QCOMPARE(cut.Frames.size(), 1);
        QCOMPARE(cut.Frames.at(0).MessageId, messageId);
        QCOMPARE(cut.Frames.at(0).Body, body);
        QCOMPARE(cut.BytesUsed, bytes.size());
        QCOMPARE(EncodeFrame(messageId, body), bytes);
    }

    void threeFramesInOneReadComeInOrder()
    {
        const QByteArray stream = EncodeFrame(3, "first") + EncodeFrame(1, "") + EncodeFrame(3, "third");
        const TFrameCut cut = CutFrames(stream + Bytes("\x05\0\0"));
        QCOMPARE(cut.Frames.size(), 3);
        QCOMPARE(cut.Frames.at(0).Body, QByteArray("first"));
        QCOMPARE(cut.Frames.at(1).MessageId, 1);
        QCOMPARE(cut.Frames.at(2).Body, QByteArray("third"));
        QCOMPARE(cut.BytesUsed, stream.size());
    }

    void framesSplitAnywhereAreDeliveredOnce()
    {
        const QByteArray stream = EncodeFrame(9, "QS\r\nsymbol=IBM") + EncodeFrame(2, "") + EncodeFrame(9, "x");
        const qsizetype firstEnd = EncodeFrame(9, "QS\r\nsymbol=IBM").size();
        for (qsizetype split = 0; split <= stream.size(); ++split) {
            int early = 0;
            const QVector<TServerFrame> frames = CutInTwoReads(stream, split, early);
            QCOMPARE(frames.size(), 3);
            QCOMPARE(frames.at(0).Body, QByteArray("QS\r\nsymbol=IBM"));
            QCOMPARE(frames.at(1).MessageId, 2);
            QCOMPARE(frames.at(2).Body, QByteArray("x"));
            // A frame split by the reads waits for the second one.
            if (split < firstEnd)
                QCOMPARE(early, 0);
        }
    }

    void badBodyLengthsAreInvalidData_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::newRow("negative") << Bytes("\x07\0\0\0\xff\xff\xff\xff");
        QTest::newRow("over the limit") << Bytes("\x07\0\0\0\x01\0\0\x01");
    }

    void badBodyLengthsAreInvalidData()
    {
        QFETCH(QByteArray, header);
        const QByteArray good = EncodeFrame(4, "ok");
        const TFrameCut cut = CutFrames(good + header + QByteArray(16, 'x'));
        QCOMPARE(cut.Status, csInvalidData);
        QVERIFY(!cut.Error.isEmpty());
        QCOMPARE(cut.Frames.size(), 1);
        QCOMPARE(cut.Frames.at(0).Body, QByteArray("ok"));
        QCOMPARE(cut.BytesUsed, good.size());
    }

    void requestsRoundTripAtEverySplit()
    {
        const TMessageToServer login = MakeMessage("command", "login", "username", "trader",
                                                   "password", "", "session_id", "");
        const TMessageToServer subscribe = MakeMessage("command", "add_alert_category", "category", "QS");
        const QByteArray stream = EncodeRequest(login, 1) + EncodeRequest(subscribe, 0);
        TMessageToServer loginAsSent = MakeMessage("message_id", "1");
        for (const TMessageField &field : login.Fields())
            loginAsSent.Add(field.Key, field.Value);

        for (qsizetype split = 0; split <= stream.size(); ++split) {
            QByteArray pending = stream.left(split);
            const TRequestCut first = CutRequests(pending);
            pending.remove(0, first.BytesUsed);
            pending.append(stream.mid(split));
            const TRequestCut second = CutRequests(pending);
            QCOMPARE(first.Status, csGood);
            QCOMPARE(second.Status, csGood);
            QCOMPARE(second.BytesUsed, pending.size());
            const QVector<TMessageToServer> requests = first.Requests + second.Requests;
            QCOMPARE(requests.size(), 2);
            QCOMPARE(MessageToDebugText(requests.at(0)), MessageToDebugText(loginAsSent));
            QCOMPARE(MessageToDebugText(requests.at(1)), MessageToDebugText(subscribe));
        }
    }

    void badTextLengthsAreInvalidData_data()
    {
        QTest::addColumn<QByteArray>("bad");
        QTest::newRow("negative key") << Bytes("\xfc\xff\xff\xff");
        QTest::newRow("negative value") << Bytes("\x01\0\0\0k\xff\xff\xff\xff");
        QTest::newRow("absurd value") << Bytes("\x01\0\0\0k\0\0\0\x7f");
    }

    void badTextLengthsAreInvalidData()
    {
        QFETCH(QByteArray, bad);
        const QByteArray good = EncodeRequest(MakeMessage("command", "ping"), 2);
        const TRequestCut cut = CutRequests(good + bad);
        QCOMPARE(cut.Status, csInvalidData);
        QVERIFY(!cut.Error.isEmpty());
        QCOMPARE(cut.Requests.size(), 1);
        QCOMPARE(cut.Requests.at(0).Value("message_id"), QByteArray("2"));
        QCOMPARE(cut.BytesUsed, good.size());
    }

    void openingLinesAreCheckedAsTheyArrive_data()
    {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("used");
        QTest::newRow("first line") << OpeningLines().left(30) << true << 0;
        QTest::newRow("both lines and a stream") << OpeningLines() + "\x78\x9c" << true << 59;
        QTest::newRow("web request") << QByteArray("GET / HTTP/1.1\r\n") << false << 0;
    }

    void openingLinesAreCheckedAsTheyArrive()
    {
        QFETCH(QByteArray, received);
        QFETCH(bool, valid);
        QFETCH(int, used);
        const TOpeningCut cut = CutOpeningLines(received);
        QCOMPARE(cut.Status == csGood, valid);
        QCOMPARE(cut.BytesUsed, used);
    }
};

QTEST_GUILESS_MAIN(TestWireFormat)
#include "tst_WireFormat.moc"
