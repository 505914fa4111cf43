#include "shared/P64.h"
#include "shared/THttpTunnel.h"
#include "support/EventLoopSentinel.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestBytes.h"

#include <QtTest>

#include <memory>

namespace {

constexpr int WaitMs = 10000;
// Long enough for a slow machine, so only the watchdog test sees aborts.
constexpr qint32 PatientSendTimeoutMs = 60000;

const QString NoGreeting = QStringLiteral("the server sent no tunnel greeting in time");

// A tunnel to the address, through no proxy.
TTransportSettings TunnelTo(const QByteArray &address, qint32 sendTimeoutMs = PatientSendTimeoutMs)
{
    TTransportSettings transport;
    transport.TunnelAddress = QString::fromLatin1(address);
    transport.TunnelSendTimeoutMs = sendTimeoutMs;
    return transport;
}

// Writes the filler to the peer while it stays connected, a little ahead of what the
// client takes; bounded in count, so a client that reads on forever ends it too.
void KeepWriting(QTcpSocket *peer, const QByteArray &filler)
{
    auto *timer = new QTimer(peer);
    QObject::connect(timer, &QTimer::timeout, peer, [peer, filler, timer, writes = 0]() mutable {
        if (++writes > 20000 || peer->state() != QAbstractSocket::ConnectedState)
            timer->stop();
        else if (peer->bytesToWrite() < 4 * filler.size())
            peer->write(filler);
    });
    timer->start(1);
}

QByteArray UploadBody(int sequence, const QByteArray &chunk)
{
    return "sequence=" + QByteArray::number(sequence) + "&body=" + EncodeP64(chunk);
}

// A tunnel against the loopback server, with a record of every event it raised.
struct TunnelProbe
{
    explicit TunnelProbe(LoopbackHttpServer &server, qint32 sendTimeoutMs = PatientSendTimeoutMs)
        : server(server), tunnel(std::make_unique<THttpTunnel>(TunnelTo(server.Url("/down"), sendTimeoutMs)))
    {
        tunnel->OnConnected = [this](TGenericServerConnection *) { ++connected; };
        tunnel->OnSessionClosed = [this](TGenericServerConnection *) { ++closed; };
        tunnel->OnDataAvailable = [this](TGenericServerConnection *sender) {
            ++dataEvents;
            if (readOnData) {
                QByteArray data;
                sender->ReadAvailable(data);
                received += data;
            }
        };
        tunnel->OnDebugMessage = [this](TGenericServerConnection *, const QString &text) {
            debug.append(text);
        };
    }

    // Connects and answers the download with the two header lines.
    bool Open()
    {
        if (!tunnel->Connect() || !server.WaitForCount(1))
            return false;
        server.StartStream(0);
        server.StreamPiece(0, "AZUREV TUNNEL\r\n" + server.Url("/up") + "\r\n");
        return QTest::qWaitFor([this] { return connected == 1; }, WaitMs);
    }

    LoopbackHttpServer &server;
    std::unique_ptr<THttpTunnel> tunnel;
    int connected = 0;
    int closed = 0;
    int dataEvents = 0;
    bool readOnData = true;
    QByteArray received;
    QStringList debug;
};

} // namespace

class tst_HttpTunnel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void queuedBytesGoUpInChunksOneAtATime()
    {
        LoopbackHttpServer server;
        TunnelProbe probe(server);
        QVERIFY(probe.Open());
        const QByteArray data = Pattern(15000);
        probe.tunnel->Send(data);

        const int sizes[] = {6000, 6000, 3000};
        int offset = 0;
        for (int sequence = 0; sequence < 3; ++sequence) {
            const int index = 1 + sequence;
            QVERIFY(server.WaitForCount(index + 1));
            QCOMPARE(server.At(index).Method, QByteArray("POST"));
            QCOMPARE(server.At(index).Path, QByteArray("/up"));
            QCOMPARE(server.At(index).Body, UploadBody(sequence, data.mid(offset, sizes[sequence])));
            // The next chunk waits for this one's answer.
            QVERIFY(EventLoopSentinel::PassThrough());
            QCOMPARE(server.Count(), index + 1);
            server.Answer(index, 200);
            offset += sizes[sequence];
        }
        QTRY_COMPARE_WITH_TIMEOUT(probe.tunnel->Sequence(), 3, WaitMs);
        QCOMPARE(probe.tunnel->SendState(), quint8(THttpTunnel::SendIdle));
        QCOMPARE(probe.closed, 0);
    }

    void failedUploadsAreResentUntilTheFourthFailureBeyondTheSuccesses_data()
    {
        QTest::addColumn<QVector<int>>("statuses");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QVector<int>>("sequences");
        QTest::addColumn<bool>("closes");

        QTest::newRow("three failures are survived")
            << QVector<int>{500, 500, 500, 200} << 100 << QVector<int>{0, 0, 0, 0} << false;
        QTest::newRow("the fourth in a row closes")
            << QVector<int>{500, 500, 500, 500} << 100 << QVector<int>{0, 0, 0, 0} << true;
        QTest::newRow("a success forgives one failure only")
            << QVector<int>{500, 500, 200, 503, 500, 404} << 9000 << QVector<int>{0, 0, 0, 1, 1, 1}
            << true;
        QTest::newRow("a success forgives one, so five spread over two uploads survive")
            << QVector<int>{500, 200, 500, 500, 500, 200} << 9000
            << QVector<int>{0, 0, 1, 1, 1, 1} << false;
    }

    void failedUploadsAreResentUntilTheFourthFailureBeyondTheSuccesses()
    {
        QFETCH(QVector<int>, statuses);
        QFETCH(int, bytes);
        QFETCH(QVector<int>, sequences);
        QFETCH(bool, closes);

        LoopbackHttpServer server;
        TunnelProbe probe(server);
        QVERIFY(probe.Open());
        const QByteArray data = Pattern(bytes);
        probe.tunnel->Send(data);

        for (int i = 0; i < statuses.size(); ++i) {
            QVERIFY(server.WaitForCount(2 + i));
            const int sequence = sequences[i];
            QCOMPARE(server.At(1 + i).Body,
                     UploadBody(sequence, data.mid(sequence * THttpTunnel::ChunkBytes,
                                                   THttpTunnel::ChunkBytes)));
            server.Answer(1 + i, statuses[i]);
        }
        if (closes) {
            QTRY_COMPARE_WITH_TIMEOUT(probe.closed, 1, WaitMs);
            QCOMPARE(probe.debug.last(),
                     QStringLiteral("ERROR sending data to server:  %1, Status %1, state: 0")
                         .arg(statuses.last()));
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(probe.tunnel->Sequence(), sequences.last() + 1, WaitMs);
            QCOMPARE(probe.closed, 0);
        }
        QCOMPARE(server.Count(), 1 + statuses.size());
        QCOMPARE(probe.debug.first(), QStringLiteral("Error sending data to server:  %1, Status %1, state: 0")
                                          .arg(statuses.first()));
    }

    void anOverdueUploadIsAbortedAndResent()
    {
        LoopbackHttpServer server;
        TunnelProbe probe(server, 0);
        QVERIFY(probe.Open());
        probe.tunnel->Send("never answered");

        // Nothing is answered: every attempt runs into the watchdog, the fourth abort
        // closes the tunnel.
        QTRY_COMPARE_WITH_TIMEOUT(probe.closed, 1, WaitMs);
        const QString aborted = QStringLiteral("404, Connection aborted on request, state: 0");
        QCOMPARE(probe.debug,
                 QStringList({QStringLiteral("Error sending data to server:  ") + aborted,
                              QStringLiteral("Error sending data to server:  ") + aborted,
                              QStringLiteral("Error sending data to server:  ") + aborted,
                              QStringLiteral("ERROR sending data to server:  ") + aborted}));
        QVERIFY(server.Count() >= 3);
        for (int i = 1; i < server.Count(); ++i)
            QCOMPARE(server.At(i).Body, UploadBody(0, "never answered"));
    }

    void headerLinesAreFoundHoweverTheyArrive_data()
    {
        QTest::addColumn<QByteArrayList>("pieces");
        QTest::addColumn<int>("headerPieces");

        QTest::newRow("both lines with the first data")
            << QByteArrayList{"hello\r\nUPLOAD\r\nfirst data"} << 1;
        QTest::newRow("upload line split")
            << QByteArrayList{"hello\r\nhttp://127.", "0.0.1:PORT/up\r\nfirst data"} << 2;
        QTest::newRow("split inside each line break")
            << QByteArrayList{"hello\r", "\nUPLOAD\r", "\nfirst data"} << 3;
        QTest::newRow("first line alone, data apart")
            << QByteArrayList{"hello\r\n", "UPLOAD\r\n", "first data"} << 2;
        QTest::newRow("absolute path") << QByteArrayList{"hello\r\n/up\r\nfirst data"} << 1;
        QTest::newRow("path relative to the tunnel") << QByteArrayList{"hello\r\nup\r\nfirst data"} << 1;
    }

    void headerLinesAreFoundHoweverTheyArrive()
    {
        QFETCH(QByteArrayList, pieces);
        QFETCH(int, headerPieces);
        LoopbackHttpServer server;
        TunnelProbe probe(server);
        QVERIFY(probe.tunnel->Connect());
        QVERIFY(server.WaitForCount(1));
        server.StartStream(0);

        for (int i = 0; i < pieces.size(); ++i) {
            QByteArray piece = pieces[i];
            piece.replace("UPLOAD", server.Url("/up"));
            piece.replace("PORT", QByteArray::number(server.Port()));
            server.StreamPiece(0, piece);
            if (i + 1 < headerPieces) {
                // An incomplete header must not count as the connection.
                QVERIFY(EventLoopSentinel::PassThrough());
                QCOMPARE(probe.connected, 0);
            }
        }
        QTRY_COMPARE_WITH_TIMEOUT(probe.received, QByteArray("first data"), WaitMs);
        QCOMPARE(probe.connected, 1);
        QCOMPARE(probe.tunnel->ConnState(), quint8(THttpTunnel::ConnConnected));

        // The second line is where uploads go.
        probe.tunnel->Send("x");
        QVERIFY(server.WaitForCount(2));
        QCOMPARE(server.At(1).Path, QByteArray("/up"));
    }

    void aDownloadThatIsNoTunnelIsRefusedWithItsReason_data()
    {
        QTest::addColumn<QByteArray>("answer");
        // Written after the answer for as long as the client keeps the connection.
        QTest::addColumn<QByteArray>("endlessFiller");
        QTest::addColumn<bool>("serverCloses");
        QTest::addColumn<QString>("reason");

        const QByteArray ok = "HTTP/1.0 200 OK\r\nConnection: close\r\n\r\n";
        const QString elsewhere = QStringLiteral("the server named an upload address on another host");
        const QString redirected = QStringLiteral("the server redirected the request to another host");
        const QString longHeader = QStringLiteral("the server's answer header is too long");
        QByteArray manyLines = "HTTP/1.0 200 OK\r\n";
        for (int i = 0; i < 10000; ++i)
            manyLines += "X-Line-" + QByteArray::number(i) + ": x\r\n";
        QByteArray bigHeader = "HTTP/1.0 200 OK\r\n";
        for (int i = 0; i < 40; ++i)
            bigHeader += "X-Big-" + QByteArray::number(i) + ": " + QByteArray(2000, 'x') + "\r\n";

        QTest::newRow("upload address on another port")
            << ok + "AZUREV TUNNEL\r\nhttp://127.0.0.1:OTHER/up\r\n" << QByteArray() << false << elsewhere;
        QTest::newRow("upload address on another scheme")
            << ok + "AZUREV TUNNEL\r\nhttps://127.0.0.1:PORT/up\r\n" << QByteArray() << false << elsewhere;
        QTest::newRow("upload address on another host name")
            << ok + "AZUREV TUNNEL\r\nhttp://localhost:PORT/up\r\n" << QByteArray() << false << elsewhere;
        QTest::newRow("relative upload address naming another port")
            << ok + "AZUREV TUNNEL\r\n//127.0.0.1:OTHER/up\r\n" << QByteArray() << false << elsewhere;
        QTest::newRow("no upload address")
            << ok + "AZUREV TUNNEL\r\nno upload address\r\n" << QByteArray() << false
            << QStringLiteral("the server named no usable upload address");
        QTest::newRow("redirect to another port")
            << QByteArray("HTTP/1.0 302 Found\r\nLocation: http://127.0.0.1:OTHER/down\r\nContent-Length: 0\r\n\r\n")
            << QByteArray() << false << redirected;
        QTest::newRow("temporary redirect to another scheme")
            << QByteArray("HTTP/1.0 307 Temporary Redirect\r\nLocation: https://127.0.0.1:PORT/down\r\n\r\n")
            << QByteArray() << false << redirected;
        QTest::newRow("error page")
            << QByteArray("HTTP/1.0 404 Not Found\r\nConnection: close\r\n\r\nAZUREV TUNNEL\r\n/up\r\n")
            << QByteArray() << false << QStringLiteral("the server answered HTTP 404");
        QTest::newRow("10,000 header lines")
            << manyLines + "\r\nAZUREV TUNNEL\r\n/up\r\n" << QByteArray() << false << longHeader;
        QTest::newRow("header over 64 KiB")
            << bigHeader + "\r\nAZUREV TUNNEL\r\n/up\r\n" << QByteArray() << false << longHeader;
        QTest::newRow("not HTTP") << QByteArray("SSH-2.0-OpenSSH_9.2\r\n\r\n") << QByteArray() << false
                                  << QStringLiteral("the server's answer is not HTTP");
        QTest::newRow("endless header line")
            << QByteArray("HTTP/1.0 200 OK\r\nX-Endless: ") << QByteArray(16384, 'x') << false << longHeader;
        QTest::newRow("endless header lines")
            << QByteArray("HTTP/1.0 200 OK\r\n") << QByteArray("X-More: x\r\n").repeated(1000) << false
            << longHeader;
        QTest::newRow("never answers") << QByteArray() << QByteArray() << false << NoGreeting;
        QTest::newRow("endless greeting line")
            << ok + "AZUREV" << QByteArray(16384, ' ') << false
            << QStringLiteral("the server's tunnel greeting is too long");
        QTest::newRow("ends before the greeting")
            << ok + "AZUREV TUNNEL\r\n" << QByteArray() << true
            << QStringLiteral("the server ended the tunnel before its greeting");
    }

    void aDownloadThatIsNoTunnelIsRefusedWithItsReason()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, endlessFiller);
        QFETCH(bool, serverCloses);
        QFETCH(QString, reason);
        LoopbackHttpServer server;
        LoopbackHttpServer elsewhere;
        TunnelProbe probe(server);
        // Only the rows that wait for the deadline get a short one.
        probe.tunnel->GreetingTimeoutMs = reason == NoGreeting ? 300 : PatientSendTimeoutMs;
        QVERIFY(probe.tunnel->Connect());
        QVERIFY(server.WaitForCount(1));
        answer.replace("OTHER", QByteArray::number(elsewhere.Port()));
        answer.replace("PORT", QByteArray::number(server.Port()));
        server.StreamPiece(0, answer);
        if (!endlessFiller.isEmpty())
            KeepWriting(server.At(0).Peer, endlessFiller);
        if (serverCloses)
            server.EndStream(0);

        QTRY_COMPARE_WITH_TIMEOUT(probe.closed, 1, WaitMs);
        QCOMPARE(probe.tunnel->ErrorMessage, reason);
        QCOMPARE(probe.connected, 0);
        // The client let go of the answer, so an endless one costs it nothing more,
        // and nothing went anywhere else.
        QTRY_VERIFY_WITH_TIMEOUT(!server.At(0).Peer || server.At(0).Peer->state() == QAbstractSocket::UnconnectedState,
                                 WaitMs);
        QCOMPARE(elsewhere.Connections(), 0);
        QCOMPARE(server.Count(), 1);
    }

    void anUploadRedirectedElsewhereIsNotFollowed()
    {
        LoopbackHttpServer server;
        LoopbackHttpServer elsewhere;
        TunnelProbe probe(server);
        QVERIFY(probe.Open());
        probe.tunnel->Send("login");
        QVERIFY(server.WaitForCount(2));
        server.At(1).Peer->write("HTTP/1.0 307 Temporary Redirect\r\nLocation: " + elsewhere.Url("/up")
                                 + "\r\n\r\n");
        server.At(1).Peer->disconnectFromHost();

        // Counted as a failed upload and posted again, to the tunnel's own server.
        QVERIFY(server.WaitForCount(3));
        QCOMPARE(server.At(2).Body, UploadBody(0, "login"));
        QCOMPARE(probe.debug, QStringList{QStringLiteral("Error sending data to server:  0, the server "
                                                         "redirected the request to another host, state: 0")});
        QCOMPARE(elsewhere.Connections(), 0);
    }

    void anIncompleteHeaderIsNotAConnection()
    {
        LoopbackHttpServer server;
        TunnelProbe probe(server);
        QVERIFY(probe.tunnel->Connect());
        QVERIFY(server.WaitForCount(1));
        server.StartStream(0);
        server.StreamPiece(0, "hello\r\nhttp://127.0.0.1/up");
        QVERIFY(EventLoopSentinel::PassThrough());
        QCOMPARE(probe.connected, 0);
        QCOMPARE(probe.tunnel->ConnState(), quint8(THttpTunnel::ConnConnecting));
        QByteArray data = "untouched";
        probe.tunnel->ReadAvailable(data);
        QCOMPARE(data, QByteArray("untouched"));
    }

    void closeFiresOnceAndKeepsWhatArrived()
    {
        LoopbackHttpServer server;
        TunnelProbe probe(server);
        probe.readOnData = false;
        QVERIFY(probe.Open());
        server.StreamPiece(0, "kept");
        QTRY_VERIFY_WITH_TIMEOUT(probe.dataEvents > 0, WaitMs);

        probe.tunnel->Close();
        probe.tunnel->Close();
        probe.tunnel->Send("dropped");
        QByteArray data;
        probe.tunnel->ReadAvailable(data);
        QCOMPARE(data, QByteArray("kept"));
        probe.tunnel.reset();
        QCOMPARE(probe.closed, 1);
        // An upload of "dropped" would need a connect, a write and the server's read.
        QVERIFY(EventLoopSentinel::PassThrough());
        QCOMPARE(server.Count(), 1);
    }

    void aLongBacklogIsReadInBoundedPiecesInOrder()
    {
        LoopbackHttpServer server;
        TunnelProbe probe(server);
        probe.readOnData = false;
        QVERIFY(probe.Open());
        const QByteArray sent = Pattern(3 * 1024 * 1024 + 12345);
        server.StreamPiece(0, sent);
        server.EndStream(0);
        // The end of the download comes after its last byte: all of it waits now.
        QTRY_COMPARE_WITH_TIMEOUT(probe.closed, 1, WaitMs);

        QByteArray received;
        QVector<qsizetype> pieces;
        for (int i = 0; i < 10; ++i) {
            QByteArray data;
            probe.tunnel->ReadAvailable(data);
            if (data.isEmpty())
                break;
            pieces.append(data.size());
            received += data;
        }
        QCOMPARE(pieces, (QVector<qsizetype>{1024 * 1024, 1024 * 1024, 1024 * 1024, 12345}));
        QVERIFY(received == sent);
    }

    void aServerFasterThanItsReaderWaitsInTheNetwork()
    {
        LoopbackHttpServer server;
        TunnelProbe probe(server);
        probe.readOnData = false;
        QVERIFY(probe.Open());
        // More than the tunnel, Qt and both ends' kernel buffers hold together.
        const QByteArray sent = Pattern(8 * THttpTunnel::MostUnreadBytes + 777);
        server.StreamPiece(0, sent);
        // Pieces already on their way when the download paused may still land.
        const qsizetype bound = 2 * THttpTunnel::MostUnreadBytes;
        QTRY_VERIFY_WITH_TIMEOUT(probe.tunnel->UnreadBytes() >= THttpTunnel::MostUnreadBytes, WaitMs);
        // Many turns of the loop, each of which a download that did not pause would use
        // to read on.
        QVERIFY(EventLoopSentinel::PassThrough(50));
        QVERIFY2(probe.tunnel->UnreadBytes() <= bound, QByteArray::number(probe.tunnel->UnreadBytes()));
        // Nor does Qt take the rest for us: it waits at the server's end.
        QVERIFY(server.At(0).Peer->bytesToWrite() > 0);

        QByteArray received;
        qsizetype mostUnread = 0;
        QDeadlineTimer deadline(30000);
        for (int i = 0; i < 100000 && received.size() < sent.size() && !deadline.hasExpired(); ++i) {
            QByteArray data;
            probe.tunnel->ReadAvailable(data);
            received += data;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            mostUnread = std::max(mostUnread, probe.tunnel->UnreadBytes());
        }
        QVERIFY2(mostUnread <= bound, QByteArray::number(mostUnread));
        QCOMPARE(received.size(), sent.size());
        QVERIFY(received == sent);
        QCOMPARE(probe.closed, 0);
    }

    void theEndOfTheDownloadClosesTheTunnel_data()
    {
        QTest::addColumn<bool>("headerArrived");
        QTest::newRow("connected") << true;
        QTest::newRow("still connecting") << false;
    }

    void theEndOfTheDownloadClosesTheTunnel()
    {
        QFETCH(bool, headerArrived);
        LoopbackHttpServer server;
        TunnelProbe probe(server);
        if (headerArrived) {
            QVERIFY(probe.Open());
        } else {
            QVERIFY(probe.tunnel->Connect());
            QVERIFY(server.WaitForCount(1));
            server.StartStream(0);
        }
        server.EndStream(0);
        QTRY_COMPARE_WITH_TIMEOUT(probe.closed, 1, WaitMs);
        QCOMPARE(probe.tunnel->ConnState(), quint8(THttpTunnel::ConnClosed));
        QCOMPARE(probe.connected, headerArrived ? 1 : 0);
    }

    void aDownloadThatCannotStartClosesTheTunnel_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("socksLevel");
        // Connect fails on the spot with this error; empty: the attempt fails later.
        QTest::addColumn<QString>("error");

        QTest::newRow("not a URL") << QStringLiteral("127.0.0.1:9339") << QString()
                                   << QStringLiteral("THttpTunnel.Connect, EHttpException, Not an "
                                                     "http or https URL: \"127.0.0.1:9339\", 0, ");
        QTest::newRow("SOCKS 4") << QStringLiteral("http://127.0.0.1:1/") << QStringLiteral("4")
                                 << QStringLiteral("THttpTunnel.Connect, EHttpException, SOCKS level "
                                                   "\"4\" is not available for HTTP; use SOCKS 5 or "
                                                   "an HTTP proxy, 0, ");
        QTest::newRow("refused") << QStringLiteral("http://127.0.0.1:1/") << QString() << QString();
    }

    void aDownloadThatCannotStartClosesTheTunnel()
    {
        QFETCH(QString, address);
        QFETCH(QString, socksLevel);
        QFETCH(QString, error);
        int closed = 0;
        TTransportSettings transport = TunnelTo(address.toLatin1());
        transport.Socks = {QStringLiteral("127.0.0.1"), QStringLiteral("1080"), socksLevel, {}, {}};
        THttpTunnel tunnel(transport);
        tunnel.OnSessionClosed = [&](TGenericServerConnection *) { ++closed; };
        QCOMPARE(tunnel.Connect(), error.isEmpty());
        if (!error.isEmpty()) {
            QCOMPARE(tunnel.ErrorMessage, error);
            QCOMPARE(closed, 1);
        }
        QTRY_COMPARE_WITH_TIMEOUT(closed, 1, WaitMs);
    }
};

QTEST_GUILESS_MAIN(tst_HttpTunnel)
#include "tst_HttpTunnel.moc"
