#pragma once

#include "client/ui/linking/TTcpSymbolLink.h"

#include <QString>
#include <QStringList>
#include <QUrl>

class TSettingsStore;

// Where a clicked symbol goes.
enum class TLinkTarget { ltNone, ltClipboard, ltTcp, ltCommand, ltUrl };

// The word in a command line or web page template that the symbol replaces.
inline QString SymbolPlaceholder() { return QStringLiteral("{symbol}"); }

// The trader's set-up of one link group, kept in the settings store between runs.
struct TLinkSettings
{
    TLinkTarget Target = TLinkTarget::ltNone;
    QString Host = QStringLiteral("127.0.0.1");
    int Port = 0;
    QString Command;
    QString UrlTemplate;

    // Group 1 keeps the section the single target always had, so a set-up saved before
    // there were groups is group 1's; the others have sections of their own beside it.
    void Load(const TSettingsStore &store, int group);
    void Save(TSettingsStore &store, int group) const;
    static QString Section(int group);
};

// The program and arguments that hand a symbol to a command line.
struct TSymbolCommand
{
    QString Program;
    QStringList Arguments;
    // Why the command may not run for this symbol; empty when it may.
    QString Refusal;
};

// The line is split into words first (double quotes group words) and the symbol
// replaces the placeholder inside single words afterwards, or becomes one more word
// when the line has no placeholder; no shell ever sees it. Refused: a line without a
// program, a program word that the symbol would choose, and a symbol beginning with
// "-", which the program would read as an option.
TSymbolCommand BuildSymbolCommand(const QString &commandLine, const QString &symbol);

// Why a web page template may not be used; empty when it may. Without the
// placeholder the symbol is appended, so the template must end in "/", "=" or "?":
// appended to "https://charts.example" a symbol would lengthen the host name. With
// the placeholder, it must stand after the scheme and the host.
QString UrlTemplateRefusal(const QString &urlTemplate);

// The page for symbol: the template with the percent-encoded symbol in place of the
// placeholder, or appended when there is none. Invalid for an unusable or refused
// template.
QUrl BuildSymbolUrl(const QString &urlTemplate, const QString &symbol);

struct TDeliveryResult
{
    bool Delivered = false;
    // On its way to a local program; the outcome follows through TcpLink().
    bool Pending = false;
    QString Text; // what happened, in words for the trader
};

// Hands symbols to the set-up target without waiting for any of them. A local
// program's outcome comes later, from TcpLink's Finished.
class TSymbolDelivery
{
public:
    TDeliveryResult Deliver(const TLinkSettings &settings, const QString &symbol);
    TTcpSymbolLink &TcpLink() { return tcp_; }

private:
    TDeliveryResult ToClipboard(const QString &symbol);
    TDeliveryResult OverTcp(const TLinkSettings &settings, const QString &symbol);
    TDeliveryResult ToCommand(const TLinkSettings &settings, const QString &symbol);
    TDeliveryResult ToUrl(const TLinkSettings &settings, const QString &symbol);

    TTcpSymbolLink tcp_;
};
