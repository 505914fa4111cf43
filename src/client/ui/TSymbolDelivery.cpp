#include "client/ui/TSymbolDelivery.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QSettings>
#include <QTcpSocket>

namespace {

// The clicking trader waits for these, so they stay short; a local program answers
// at once or not at all.
constexpr int ConnectWaitMs = 2000;
constexpr int WriteWaitMs = 2000;

const char *TargetName(TLinkTarget target)
{
    switch (target) {
    case TLinkTarget::ltClipboard:
        return "clipboard";
    case TLinkTarget::ltTcp:
        return "tcp";
    case TLinkTarget::ltCommand:
        return "command";
    case TLinkTarget::ltUrl:
        return "url";
    case TLinkTarget::ltNone:
        break;
    }
    return "none";
}

TLinkTarget TargetFromName(const QString &name)
{
    for (TLinkTarget target : {TLinkTarget::ltClipboard, TLinkTarget::ltTcp, TLinkTarget::ltCommand,
                               TLinkTarget::ltUrl})
        if (name == QLatin1String(TargetName(target)))
            return target;
    return TLinkTarget::ltNone;
}

bool HasControlCharacters(const QString &text)
{
    for (QChar c : text)
        if (c.category() == QChar::Other_Control)
            return true;
    return false;
}

TDeliveryResult Failed(const QString &text)
{
    return {false, text};
}

} // namespace

void TLinkSettings::Load(QSettings &settings)
{
    settings.beginGroup(QStringLiteral("ExternalLinking"));
    Target = TargetFromName(settings.value(QStringLiteral("Target")).toString());
    Host = settings.value(QStringLiteral("Host"), Host).toString();
    Port = settings.value(QStringLiteral("Port"), Port).toInt();
    Command = settings.value(QStringLiteral("Command")).toString();
    UrlTemplate = settings.value(QStringLiteral("UrlTemplate")).toString();
    settings.endGroup();
}

void TLinkSettings::Save(QSettings &settings) const
{
    settings.beginGroup(QStringLiteral("ExternalLinking"));
    settings.setValue(QStringLiteral("Target"), QString::fromLatin1(TargetName(Target)));
    settings.setValue(QStringLiteral("Host"), Host);
    settings.setValue(QStringLiteral("Port"), Port);
    settings.setValue(QStringLiteral("Command"), Command);
    settings.setValue(QStringLiteral("UrlTemplate"), UrlTemplate);
    settings.endGroup();
}

bool BuildSymbolCommand(const QString &commandLine, const QString &symbol, QString &program,
                        QStringList &arguments)
{
    QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty())
        return false;
    bool placed = false;
    for (QString &word : words) {
        if (word.contains(SymbolPlaceholder())) {
            word.replace(SymbolPlaceholder(), symbol);
            placed = true;
        }
    }
    if (!placed)
        words.append(symbol);
    program = words.takeFirst();
    arguments = words;
    return !program.isEmpty();
}

QUrl BuildSymbolUrl(const QString &urlTemplate, const QString &symbol)
{
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(symbol));
    QString text = urlTemplate.trimmed();
    if (text.contains(SymbolPlaceholder()))
        text.replace(SymbolPlaceholder(), encoded);
    else
        text += encoded;
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return QUrl();
    return url;
}

TSymbolDelivery::TSymbolDelivery() = default;
TSymbolDelivery::~TSymbolDelivery() = default;

TDeliveryResult TSymbolDelivery::Deliver(const TLinkSettings &settings, const QString &symbol)
{
    // Alert fields are percent-decoded, so a symbol could carry a line break that
    // would smuggle a second line to a local program.
    if (HasControlCharacters(symbol))
        return Failed(QStringLiteral("Not sent: the symbol contains control characters."));

    switch (settings.Target) {
    case TLinkTarget::ltClipboard:
        return ToClipboard(symbol);
    case TLinkTarget::ltTcp:
        return OverTcp(settings, symbol);
    case TLinkTarget::ltCommand:
        return ToCommand(settings, symbol);
    case TLinkTarget::ltUrl:
        return ToUrl(settings, symbol);
    case TLinkTarget::ltNone:
        break;
    }
    return Failed(QStringLiteral("Not linked: choose where clicked symbols go."));
}

TDeliveryResult TSymbolDelivery::ToClipboard(const QString &symbol)
{
    QGuiApplication::clipboard()->setText(symbol);
    return {true, QStringLiteral("Copied %1 to the clipboard.").arg(symbol)};
}

bool TSymbolDelivery::EnsureConnected(const QString &host, int port)
{
    if (socket_ && socket_->state() == QAbstractSocket::ConnectedState && socket_->peerName() == host
        && socket_->peerPort() == port) {
        // Take in whatever the program sent, which also notices a program that has
        // closed its end since the last symbol; it then gets a fresh connection.
        socket_->waitForReadyRead(0);
        socket_->readAll();
        if (socket_->state() == QAbstractSocket::ConnectedState)
            return true;
    }
    socket_ = std::make_unique<QTcpSocket>();
    socket_->connectToHost(host, quint16(port));
    return socket_->waitForConnected(ConnectWaitMs);
}

TDeliveryResult TSymbolDelivery::OverTcp(const TLinkSettings &settings, const QString &symbol)
{
    const QString where = settings.Host + QLatin1Char(':') + QString::number(settings.Port);
    if (settings.Host.isEmpty() || settings.Port <= 0 || settings.Port > 65535)
        return Failed(QStringLiteral("Not linked: enter the host and port of the receiving program."));
    if (!EnsureConnected(settings.Host, settings.Port))
        return Failed(QStringLiteral("Could not reach %1: %2").arg(where, socket_->errorString()));

    const QByteArray line = symbol.toUtf8() + '\n';
    socket_->write(line);
    while (socket_->bytesToWrite() > 0) {
        if (!socket_->waitForBytesWritten(WriteWaitMs))
            return Failed(QStringLiteral("Could not send to %1: %2").arg(where, socket_->errorString()));
    }
    return {true, QStringLiteral("Sent %1 to %2.").arg(symbol, where)};
}

TDeliveryResult TSymbolDelivery::ToCommand(const TLinkSettings &settings, const QString &symbol)
{
    QString program;
    QStringList arguments;
    if (!BuildSymbolCommand(settings.Command, symbol, program, arguments))
        return Failed(QStringLiteral("Not linked: enter the command to run."));
    if (!QProcess::startDetached(program, arguments))
        return Failed(QStringLiteral("Could not start %1.").arg(program));
    return {true, QStringLiteral("Started %1 for %2.").arg(program, symbol)};
}

TDeliveryResult TSymbolDelivery::ToUrl(const TLinkSettings &settings, const QString &symbol)
{
    const QUrl url = BuildSymbolUrl(settings.UrlTemplate, symbol);
    if (!url.isValid())
        return Failed(QStringLiteral("Not linked: enter a web page address such as %1.")
                          .arg(QString(QStringLiteral("https://charts.example.com/?s=") + SymbolPlaceholder())));
    if (!QDesktopServices::openUrl(url))
        return Failed(QStringLiteral("Could not open %1.").arg(url.toString()));
    return {true, QStringLiteral("Opened %1.").arg(url.toString())};
}
