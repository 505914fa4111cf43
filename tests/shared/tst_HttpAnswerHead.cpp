#include "net/THttpAnswerHead.h"

#include <QtTest>

namespace {

QByteArray Fields(int count)
{
    QByteArray fields;
    for (int i = 0; i < count; ++i)
        fields += "X-" + QByteArray::number(i) + ": v\r\n";
    return fields;
}

} // namespace

class tst_HttpAnswerHead : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void headsAreTakenWithinTheirBounds_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<THttpHeadResult>("result");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("length");
        QTest::addColumn<QByteArray>("left");

        using R = THttpHeadResult;
        QTest::newRow("complete, body kept")
            << QByteArray("HTTP/1.0 200 OK\r\ncontent-LENGTH: 4\r\n\r\nbody") << R::Complete << 200
            << QByteArray("4") << QByteArray("body");
        QTest::newRow("bare line feeds, no reason")
            << QByteArray("HTTP/1.1 204\nServer: x\n\nrest") << R::Complete << 204 << QByteArray()
            << QByteArray("rest");
        QTest::newRow("still open") << QByteArray("HTTP/1.0 200 OK\r\nServer: x\r\n") << R::Incomplete << 0
                                    << QByteArray() << QByteArray("HTTP/1.0 200 OK\r\nServer: x\r\n");
        QTest::newRow("100 fields") << "HTTP/1.0 200 OK\r\n" + Fields(100) + "\r\n" << R::Complete << 200
                                    << QByteArray() << QByteArray();
        QTest::newRow("101 fields, refused before the head ends")
            << "HTTP/1.0 200 OK\r\n" + Fields(101) << R::Bad << 0 << QByteArray() << QByteArray();
        QTest::newRow("one line over 64 KiB, refused before it ends")
            << "HTTP/1.0 200 OK\r\nX: " + QByteArray(64 * 1024, 'x') << R::Bad << 0 << QByteArray()
            << QByteArray();
        QTest::newRow("not HTTP") << QByteArray("SSH-2.0-OpenSSH\r\n\r\n") << R::Bad << 0 << QByteArray()
                                  << QByteArray();
        QTest::newRow("status not three digits")
            << QByteArray("HTTP/1.0 2000 OK\r\n\r\n") << R::Bad << 0 << QByteArray() << QByteArray();
    }

    void headsAreTakenWithinTheirBounds()
    {
        QFETCH(QByteArray, input);
        QFETCH(THttpHeadResult, result);
        QFETCH(int, status);
        QFETCH(QByteArray, length);
        QFETCH(QByteArray, left);

        THttpAnswerHead head;
        QString problem;
        QCOMPARE(TakeHttpAnswerHead(input, head, problem), result);
        QCOMPARE(head.StatusCode, status);
        QCOMPARE(head.Field("Content-Length"), length);
        QCOMPARE(problem.isEmpty(), result != THttpHeadResult::Bad);
        if (result != THttpHeadResult::Bad)
            QCOMPARE(input, left);
    }
};

QTEST_GUILESS_MAIN(tst_HttpAnswerHead)
#include "tst_HttpAnswerHead.moc"
