#include "net/TSocksHandshake.h"

#include "net/ESocketException.h"

#include <QHostAddress>

namespace {

constexpr char kSocks4Version = 0x04;
constexpr char kSocks5Version = 0x05;
constexpr char kConnectCommand = 0x01;
constexpr char kNoAuthentication = 0x00;
constexpr char kUserCodeAuthentication = 0x02;
constexpr char kUserCodeSubnegotiationVersion = 0x01;
constexpr unsigned char kNoAcceptableMethod = 0xFF;
constexpr unsigned char kSocks4Granted = 0x5A;
constexpr char kAddressIPv4 = 0x01;
constexpr char kAddressDomain = 0x03;
constexpr char kAddressIPv6 = 0x04;

// Ports and IPv4 addresses travel most significant byte first.
void AppendPort(QByteArray &out, quint16 port)
{
    out.append(char(port >> 8));
    out.append(char(port & 0xFF));
}

void AppendIPv4(QByteArray &out, const QHostAddress &address)
{
    const quint32 ip = address.toIPv4Address();
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(char((ip >> shift) & 0xFF));
}

unsigned char ByteAt(const QByteArray &data, int index)
{
    return static_cast<unsigned char>(data.at(index));
}

QString Socks4RejectionText(unsigned char code)
{
    switch (code) {
    case 0x5C:
        return QStringLiteral("SOCKS 4 request rejected: the proxy cannot reach the client's identd");
    case 0x5D:
        return QStringLiteral("SOCKS 4 request rejected: the user id does not match identd");
    default:
        return QStringLiteral("SOCKS 4 request rejected or failed");
    }
}

QString Socks5ReplyText(unsigned char code)
{
    switch (code) {
    case 0x01: return QStringLiteral("SOCKS 5: general failure");
    case 0x02: return QStringLiteral("SOCKS 5: connection not allowed by ruleset");
    case 0x03: return QStringLiteral("SOCKS 5: network unreachable");
    case 0x04: return QStringLiteral("SOCKS 5: host unreachable");
    case 0x05: return QStringLiteral("SOCKS 5: connection refused");
    case 0x06: return QStringLiteral("SOCKS 5: TTL expired");
    case 0x07: return QStringLiteral("SOCKS 5: command not supported");
    case 0x08: return QStringLiteral("SOCKS 5: address type not supported");
    default: return QStringLiteral("SOCKS 5: unknown reply code %1").arg(code);
    }
}

// The length of a SOCKS 5 CONNECT reply, or 0 while too few bytes have arrived
// to tell (a domain-name reply carries its length in its fifth byte).
int Socks5ReplyLength(const QByteArray &input)
{
    if (input.size() < 5)
        return 0;
    switch (input.at(3)) {
    case kAddressIPv4: return 4 + 4 + 2;
    case kAddressIPv6: return 4 + 16 + 2;
    case kAddressDomain: return 4 + 1 + ByteAt(input, 4) + 2;
    default: return -1;
    }
}

} // namespace

TSocksHandshake::TSocksHandshake(const TSocksProxy &proxy, const QString &targetHost,
                                 quint16 targetPort)
    : authenticate_(!proxy.User.isEmpty()),
      host_(targetHost.toUtf8()),
      port_(targetPort),
      usercode_(proxy.User.toUtf8()),
      password_(proxy.Password.toUtf8())
{
    if (proxy.Level == QLatin1String("5"))
        socks5_ = true;
    else if (proxy.Level != QLatin1String("4"))
        throw ESocketException(QStringLiteral("Unsupported SOCKS level \"%1\"").arg(proxy.Level));

    if (host_.isEmpty() || host_.size() > 255 || host_.contains('\0'))
        throw ESocketException(QStringLiteral("Host name not usable through SOCKS: \"%1\"").arg(targetHost));
    if (socks5_ && authenticate_ && (usercode_.size() > 255 || password_.size() > 255))
        throw ESocketException(QStringLiteral("SOCKS 5 user code or password longer than 255 bytes"));
    if (!socks5_ && usercode_.contains('\0'))
        throw ESocketException(QStringLiteral("SOCKS 4 user code contains a NUL byte"));
}

QByteArray TSocksHandshake::Start()
{
    if (socks5_) {
        step_ = TStep::MethodReply;
        return Socks5Greeting();
    }
    step_ = TStep::Socks4Reply;
    return Socks4Request();
}

QByteArray TSocksHandshake::Feed(QByteArray &input)
{
    QByteArray output;
    for (bool complete = true; complete && status_ == TStatus::InProgress;) {
        switch (step_) {
        case TStep::Socks4Reply: complete = TakeSocks4Reply(input); break;
        case TStep::MethodReply: complete = TakeMethodReply(input, output); break;
        case TStep::AuthenticationReply: complete = TakeAuthenticationReply(input, output); break;
        case TStep::Socks5Reply: complete = TakeSocks5Reply(input); break;
        case TStep::NotStarted:
        case TStep::Done: complete = false; break;
        }
    }
    return output;
}

bool TSocksHandshake::TakeSocks4Reply(QByteArray &input)
{
    if (input.size() < 8)
        return false;
    const unsigned char code = ByteAt(input, 1);
    input.remove(0, 8);
    if (code == kSocks4Granted)
        Succeed();
    else
        Fail(Socks4RejectionText(code));
    return true;
}

bool TSocksHandshake::TakeMethodReply(QByteArray &input, QByteArray &output)
{
    if (input.size() < 2)
        return false;
    const unsigned char version = ByteAt(input, 0);
    const unsigned char method = ByteAt(input, 1);
    input.remove(0, 2);
    const char offered = authenticate_ ? kUserCodeAuthentication : kNoAuthentication;
    if (version != kSocks5Version) {
        Fail(QStringLiteral("The proxy does not speak SOCKS 5"));
    } else if (method == kNoAcceptableMethod) {
        Fail(QStringLiteral("SOCKS 5: the proxy accepts none of the offered authentication methods"));
    } else if (method != static_cast<unsigned char>(offered)) {
        Fail(QStringLiteral("SOCKS 5: the proxy chose a method that was not offered"));
    } else if (authenticate_) {
        step_ = TStep::AuthenticationReply;
        output += Socks5Authentication();
    } else {
        step_ = TStep::Socks5Reply;
        output += Socks5ConnectRequest();
    }
    return true;
}

bool TSocksHandshake::TakeAuthenticationReply(QByteArray &input, QByteArray &output)
{
    if (input.size() < 2)
        return false;
    const unsigned char status = ByteAt(input, 1);
    input.remove(0, 2);
    if (status != 0) {
        Fail(QStringLiteral("SOCKS 5: user code or password rejected"));
    } else {
        step_ = TStep::Socks5Reply;
        output += Socks5ConnectRequest();
    }
    return true;
}

bool TSocksHandshake::TakeSocks5Reply(QByteArray &input)
{
    if (input.size() < 2)
        return false;
    // A refusal is final as soon as its code is known; the bound address that
    // follows it matters only on success.
    if (ByteAt(input, 0) != kSocks5Version) {
        Fail(QStringLiteral("The proxy does not speak SOCKS 5"));
        return true;
    }
    if (ByteAt(input, 1) != 0) {
        Fail(Socks5ReplyText(ByteAt(input, 1)));
        return true;
    }
    const int length = Socks5ReplyLength(input);
    if (length < 0) {
        Fail(QStringLiteral("SOCKS 5: unknown address type in the reply"));
        return true;
    }
    if (length == 0 || input.size() < length)
        return false;
    input.remove(0, length);
    Succeed();
    return true;
}

QByteArray TSocksHandshake::Socks4Request() const
{
    QByteArray out;
    out.append(kSocks4Version);
    out.append(kConnectCommand);
    AppendPort(out, port_);
    const QHostAddress address(QString::fromUtf8(host_));
    const bool numeric = address.protocol() == QHostAddress::IPv4Protocol;
    if (numeric) {
        AppendIPv4(out, address);
    } else {
        // 0.0.0.x with x non-zero tells a SOCKS 4a proxy that the host name follows
        // and that it should resolve the name itself.
        out.append(QByteArray("\0\0\0\1", 4));
    }
    out.append(usercode_);
    out.append('\0');
    if (!numeric) {
        out.append(host_);
        out.append('\0');
    }
    return out;
}

QByteArray TSocksHandshake::Socks5Greeting() const
{
    QByteArray out;
    out.append(kSocks5Version);
    out.append(char(1));
    out.append(authenticate_ ? kUserCodeAuthentication : kNoAuthentication);
    return out;
}

QByteArray TSocksHandshake::Socks5Authentication() const
{
    QByteArray out;
    out.append(kUserCodeSubnegotiationVersion);
    out.append(char(usercode_.size()));
    out.append(usercode_);
    out.append(char(password_.size()));
    out.append(password_);
    return out;
}

QByteArray TSocksHandshake::Socks5ConnectRequest() const
{
    QByteArray out;
    out.append(kSocks5Version);
    out.append(kConnectCommand);
    out.append('\0');
    const QHostAddress address(QString::fromUtf8(host_));
    if (address.protocol() == QHostAddress::IPv4Protocol) {
        out.append(kAddressIPv4);
        AppendIPv4(out, address);
    } else if (address.protocol() == QHostAddress::IPv6Protocol) {
        out.append(kAddressIPv6);
        const Q_IPV6ADDR ip = address.toIPv6Address();
        out.append(reinterpret_cast<const char *>(ip.c), 16);
    } else {
        // The proxy resolves the name, so a name only it can see still works.
        out.append(kAddressDomain);
        out.append(char(host_.size()));
        out.append(host_);
    }
    AppendPort(out, port_);
    return out;
}

void TSocksHandshake::Fail(const QString &text)
{
    step_ = TStep::Done;
    status_ = TStatus::Failed;
    failureText_ = text;
}

void TSocksHandshake::Succeed()
{
    step_ = TStep::Done;
    status_ = TStatus::Succeeded;
}
