#include "SessionFuzzTarget.h"

#include "FuzzSupport.h"

#include "client/core/TMainConnection.h"
#include "shared/TIniFile.h"
#include "shared/WireFormat.h"

#include "../tests/shared/support/FakeAlertServer.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTcpServer>

#include <memory>

// The input: byte 0 chooses how the payload is read (bit 0) and seeds the slice
// sizes; byte 1 says how often the payload is repeated (2 to the power of its low
// four bits, up to a limit); the rest is the payload.
//
// Frame records (bit 0 clear): records separated by NUL bytes, each a selector byte
// and a body. The selector sends the body to the login ('L'), to the alert stream
// ('A'), to the first ping ('P'), or, any other byte, to that byte as a message
// identifier nobody asked for.
//
// Raw stream (bit 0 set): the payload is the inflated stream itself, any frame
// lengths included; an incomplete frame at its end is completed with zeros.
//
// The server compresses the stream in slices of 1 byte to the whole stream, each
// sync-flushed and written on its own, and ends it with one last alert. Whatever the
// input, the connection gets every alert of the stream in order and then the last
// one, or closes after a prefix of them when the stream is invalid.

namespace {

constexpr int WaitMs = 20000;
// The stream is repeated up to this size, enough for the longest frame there is.
constexpr qsizetype MostStreamBytes = 2 * qsizetype(MaxWireLength) + 64;

// One alert server, one connection at a time.
class TFuzzServer
{
public:
    TFuzzServer()
    {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
            while (QTcpSocket *socket = server_.nextPendingConnection()) {
                Forget();
                socket_ = socket;
                client_ = std::make_unique<FakeAlertClient>(socket);
            }
        });
    }
    ~TFuzzServer() { Forget(); }

    QString Address() const { return QStringLiteral("127.0.0.1:") + QString::number(server_.serverPort()); }
    FakeAlertClient *Client() const { return client_.get(); }

    // Drops the connection; its socket is cut off from the client object first, which
    // is not told anything more.
    void Forget()
    {
        if (socket_) {
            socket_->disconnect();
            socket_->abort();
            socket_->deleteLater();
        }
        client_.reset();
    }

private:
    QTcpServer server_;
    QPointer<QTcpSocket> socket_;
    std::unique_ptr<FakeAlertClient> client_;
};

struct TFuzzClient
{
    TFuzzServer Server;
    TMainConnection Connection{TIniFile(QStringLiteral("no-such-folder/KVX.ini")),
                               TMainConnection::TTickSource::Caller};
    QVector<QByteArray> Alerts;
    TSubscription AlertWatch;

    TFuzzClient()
    {
        Connection.SetServerAddress(Server.Address());
        AlertWatch = Connection.SubscribeAlerts([this](QByteArrayView body) { Alerts.append(body.toByteArray()); });
    }
};

TFuzzClient &Client()
{
    static TFuzzClient client;
    return client;
}

QByteArray FramesFromRecords(const QByteArray &payload, const FakeAlertClient &peer)
{
    QByteArray stream;
    for (const QByteArray &record : payload.split('\0')) {
        if (record.isEmpty())
            continue;
        const char selector = record[0];
        qint32 id = uchar(selector);
        if (selector == 'L')
            id = peer.IdOf("login");
        else if (selector == 'A')
            id = peer.IdOf("listen_for_alerts");
        else if (selector == 'P')
            id = peer.IdOf("ping");
        stream += EncodeFrame(id, record.mid(1));
    }
    return stream;
}

// Zeros up to the end of the frame the stream stops in, so what follows starts a frame.
void CompleteLastFrame(QByteArray &stream)
{
    const TFrameCut cut = CutFrames(stream);
    if (cut.Status != csGood || cut.BytesUsed == stream.size())
        return;
    const qsizetype tail = stream.size() - cut.BytesUsed;
    if (tail < 8)
        stream.append(8 - tail, '\0');
    const uchar *length = reinterpret_cast<const uchar *>(stream.constData() + cut.BytesUsed + 4);
    const qint32 bodyLength = qint32(quint32(length[0]) | quint32(length[1]) << 8
                                     | quint32(length[2]) << 16 | quint32(length[3]) << 24);
    if (bodyLength >= 0 && bodyLength <= MaxWireLength)
        stream.append(cut.BytesUsed + 8 + bodyLength - stream.size(), '\0');
}

// 1 to 16 bytes, up to 1 KiB, up to 64 KiB, or everything left, in equal shares.
qsizetype NextSlice(TSplitter &random, qsizetype left)
{
    const quint32 pick = random.Next();
    qsizetype size = left;
    switch (pick & 3) {
    case 0: size = 1 + (pick >> 2) % 16; break;
    case 1: size = 1 + (pick >> 2) % 1024; break;
    case 2: size = 1 + qsizetype(random.Next()) % 65536; break;
    default: break;
    }
    return qMin(size, left);
}

} // namespace

void FuzzSession(const QByteArray &data)
{
    if (data.size() < 2)
        return;
    TFuzzClient &client = Client();
    client.Server.Forget();
    client.Alerts.clear();
    // A fresh session, logged in, with its requests at the server.
    client.Connection.SetUsername("fuzz");
    client.Connection.SetPassword("fuzz");
    client.Connection.ResetConnection();
    Check(WaitFor([&] {
        const FakeAlertClient *peer = client.Server.Client();
        return peer && peer->IdOf("login") && peer->IdOf("listen_for_alerts") && peer->IdOf("ping");
    }, WaitMs), "session: the client logs in");
    FakeAlertClient &peer = *client.Server.Client();

    const bool raw = data[0] & 1;
    const QByteArray payload = data.mid(2);
    QByteArray stream = raw ? payload : FramesFromRecords(payload, peer);
    const int doublings = data[1] & 15;
    for (int i = 0; i < doublings && stream.size() > 0 && stream.size() * 2 <= MostStreamBytes; ++i)
        stream += stream;
    CompleteLastFrame(stream);

    const qint32 alertId = peer.IdOf("listen_for_alerts");
    const TFrameCut cut = CutFrames(stream);
    QVector<QByteArray> expected;
    for (const TServerFrame &frame : cut.Frames)
        if (frame.MessageId == alertId)
            expected.append(frame.Body);
    // Frame records cannot carry a NUL; a raw stream's alert like it only ends the
    // wait early, and the order check still holds.
    const QByteArray last("\0the last alert", 15);
    if (cut.Status == csGood) {
        stream += EncodeFrame(alertId, last);
        expected.append(last);
    }

    TSplitter random(SeedOf(data));
    for (qsizetype at = 0; at < stream.size() && !peer.Closed();) {
        const qsizetype size = NextSlice(random, stream.size() - at);
        peer.SendRaw(peer.Compress(stream.mid(at, size)));
        at += size;
        QCoreApplication::processEvents();
    }

    // Either the last alert arrives or the connection ends; then what arrived is the
    // stream's alerts, all of them or, after a close, the first of them.
    Check(WaitFor([&] { return peer.Closed() || (!client.Alerts.isEmpty() && client.Alerts.last() == last); },
                  WaitMs),
          "session: the stream is read to its end or the connection closes");
    Check(client.Alerts.size() <= expected.size(), "session: no alert more than the stream has");
    for (int i = 0; i < client.Alerts.size(); ++i)
        Check(client.Alerts[i] == expected[i], "session: the stream's alerts arrive in order");
    if (cut.Status != csGood)
        Check(WaitFor([&] { return peer.Closed(); }, WaitMs), "session: an invalid stream ends the connection");
}
