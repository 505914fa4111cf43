#include "client/ui/linking/TSymbolDelivery.h"

#include "client/core/TSettingsStore.h"
#include "client/ui/linking/LinkGroups.h"
#include "shared/SafeText.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>

namespace {

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

TDeliveryResult Failed(const QString &text)
{
    return {false, false, text};
}

} // namespace

QString TLinkSettings::Section(int group)
{
    const QString section = QStringLiteral("ExternalLinking");
    return group == FirstLinkGroup ? section : section + QString::number(group);
}

void TLinkSettings::Load(const TSettingsStore &store, int group)
{
    const QString section = Section(group);
    Target = TargetFromName(store.ReadString(section, QStringLiteral("Target"), QString()));
    Host = store.ReadString(section, QStringLiteral("Host"), Host);
    Port = store.ReadInteger(section, QStringLiteral("Port"), Port);
    Command = store.ReadString(section, QStringLiteral("Command"), QString());
    UrlTemplate = store.ReadString(section, QStringLiteral("UrlTemplate"), QString());
}

void TLinkSettings::Save(TSettingsStore &store, int group) const
{
    const QString section = Section(group);
    store.WriteString(section, QStringLiteral("Target"), QString::fromLatin1(TargetName(Target)));
    store.WriteString(section, QStringLiteral("Host"), Host);
    store.WriteInteger(section, QStringLiteral("Port"), Port);
    store.WriteString(section, QStringLiteral("Command"), Command);
    store.WriteString(section, QStringLiteral("UrlTemplate"), UrlTemplate);
}

TSymbolCommand BuildSymbolCommand(const QString &commandLine, const QString &symbol)
{
    TSymbolCommand command;
    QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty() || words.first().isEmpty()) {
        command.Refusal = QStringLiteral("Not linked: enter the command to run.");
        return command;
    }
    if (words.first().contains(SymbolPlaceholder())) {
        command.Refusal = QStringLiteral("Not linked: the symbol may not choose the program; put %1 after it.")
                              .arg(SymbolPlaceholder());
        return command;
    }
    if (symbol.startsWith(QLatin1Char('-'))) {
        command.Refusal = QStringLiteral("Not sent: %1 begins with \"-\" and would be read as an option.").arg(symbol);
        return command;
    }
    bool placed = false;
    for (QString &word : words) {
        if (word.contains(SymbolPlaceholder())) {
            word.replace(SymbolPlaceholder(), symbol);
            placed = true;
        }
    }
    if (!placed)
        words.append(symbol);
    command.Program = words.takeFirst();
    command.Arguments = words;
    return command;
}

QString UrlTemplateRefusal(const QString &urlTemplate)
{
    const QString text = urlTemplate.trimmed();
    // The scheme and the host are the trader's to choose, never a symbol's: the
    // placeholder must stand after them, where the page's path and query begin.
    const qsizetype placeholder = text.indexOf(SymbolPlaceholder());
    const qsizetype hostStart = text.indexOf(QStringLiteral("://"));
    qsizetype pathStart = text.indexOf(QLatin1Char(':'));
    if (hostStart >= 0) {
        const qsizetype end = text.indexOf(QRegularExpression(QStringLiteral("[/?#]")), hostStart + 3);
        pathStart = end < 0 ? text.size() : end;
    }
    if (placeholder >= 0 && placeholder < pathStart)
        return QStringLiteral("Not saved: %1 must stand after the page's host name, or the symbol could "
                              "choose where the page is.")
            .arg(SymbolPlaceholder());
    if (text.isEmpty() || placeholder >= 0 || text.endsWith(QLatin1Char('/'))
        || text.endsWith(QLatin1Char('=')) || text.endsWith(QLatin1Char('?')))
        return QString();
    return QStringLiteral("Not saved: a web page without %1 must end in \"/\", \"=\" or \"?\", "
                          "or the symbol could become part of the host name.")
        .arg(SymbolPlaceholder());
}

QUrl BuildSymbolUrl(const QString &urlTemplate, const QString &symbol)
{
    if (!UrlTemplateRefusal(urlTemplate).isEmpty())
        return QUrl();
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

TDeliveryResult TSymbolDelivery::Deliver(const TLinkSettings &settings, const QString &symbol)
{
    // Alert fields are percent-decoded, so a symbol could carry a line break that
    // would smuggle a second line to a local program, or a bidi override or an
    // invisible character that makes it look like another ticker.
    if (HasDeceptiveCharacters(symbol))
        return Failed(QStringLiteral("Not sent: the symbol contains control, bidi or invisible characters."));

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
    return {true, false, QStringLiteral("Copied %1 to the clipboard.").arg(symbol)};
}

TDeliveryResult TSymbolDelivery::OverTcp(const TLinkSettings &settings, const QString &symbol)
{
    if (settings.Host.isEmpty() || settings.Port <= 0 || settings.Port > 65535)
        return Failed(QStringLiteral("Not linked: enter the host and port of the receiving program."));
    const QString where = settings.Host + QLatin1Char(':') + QString::number(settings.Port);
    TDeliveryResult result{false, true, QStringLiteral("Sending %1 to %2\u2026").arg(symbol, where)};
    tcp_.Send(settings.Host, settings.Port, symbol);
    return result;
}

TDeliveryResult TSymbolDelivery::ToCommand(const TLinkSettings &settings, const QString &symbol)
{
    const TSymbolCommand command = BuildSymbolCommand(settings.Command, symbol);
    if (!command.Refusal.isEmpty())
        return Failed(command.Refusal);
    if (!QProcess::startDetached(command.Program, command.Arguments))
        return Failed(QStringLiteral("Could not start %1.").arg(command.Program));
    return {true, false, QStringLiteral("Started %1 for %2.").arg(command.Program, symbol)};
}

TDeliveryResult TSymbolDelivery::ToUrl(const TLinkSettings &settings, const QString &symbol)
{
    const QString refusal = UrlTemplateRefusal(settings.UrlTemplate);
    if (!refusal.isEmpty())
        return Failed(refusal);
    const QUrl url = BuildSymbolUrl(settings.UrlTemplate, symbol);
    if (!url.isValid())
        return Failed(QStringLiteral("Not linked: enter a web page address such as %1.")
                          .arg(QString(QStringLiteral("https://charts.example.com/?s=") + SymbolPlaceholder())));
    if (!QDesktopServices::openUrl(url))
        return Failed(QStringLiteral("Could not open %1.").arg(url.toString()));
    return {true, false, QStringLiteral("Opened %1.").arg(url.toString())};
}
