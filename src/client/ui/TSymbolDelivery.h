#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

class QSettings;
class QTcpSocket;

// Where a clicked symbol goes.
enum class TLinkTarget { ltNone, ltClipboard, ltTcp, ltCommand, ltUrl };

// The word in a command line or web page template that the symbol replaces.
inline QString SymbolPlaceholder() { return QStringLiteral("{symbol}"); }

// The trader's link set-up, kept in the settings store between runs.
struct TLinkSettings
{
    TLinkTarget Target = TLinkTarget::ltNone;
    QString Host = QStringLiteral("127.0.0.1");
    int Port = 0;
    QString Command;
    QString UrlTemplate;

    void Load(QSettings &settings);
    void Save(QSettings &settings) const;
};

// The program and arguments that hand symbol to a command line. The line is split
// into words first (double quotes group words) and the symbol replaces the
// placeholder inside single words afterwards, or becomes one more word when the line
// has no placeholder; no shell ever sees it. False for a line without a program.
bool BuildSymbolCommand(const QString &commandLine, const QString &symbol, QString &program,
                        QStringList &arguments);

// The page for symbol: the template with the percent-encoded symbol in place of the
// placeholder, or appended when there is none. Invalid for an unusable template.
QUrl BuildSymbolUrl(const QString &urlTemplate, const QString &symbol);

struct TDeliveryResult
{
    bool Delivered = false;
    QString Text; // what happened, in words for the trader
};

// Hands symbols to the set-up target, synchronously. A local program gets one line
// per symbol over a TCP connection that stays open between symbols and is made again
// when the program went away.
class TSymbolDelivery
{
public:
    TSymbolDelivery();
    ~TSymbolDelivery();

    TDeliveryResult Deliver(const TLinkSettings &settings, const QString &symbol);

private:
    TDeliveryResult ToClipboard(const QString &symbol);
    TDeliveryResult OverTcp(const TLinkSettings &settings, const QString &symbol);
    TDeliveryResult ToCommand(const TLinkSettings &settings, const QString &symbol);
    TDeliveryResult ToUrl(const TLinkSettings &settings, const QString &symbol);
    bool EnsureConnected(const QString &host, int port);

    std::unique_ptr<QTcpSocket> socket_;
};
