#pragma once

#include "client/ui/linking/TSymbolDelivery.h"

#include <QWidget>

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QSpinBox;
class TSettingsStore;

// The connector that takes the clicked symbols of one link group to another trading
// program. It is a panel
// of its own in which the trader sets up where symbols go: the clipboard, a local
// program listening on TCP (one line per symbol), a command run with the symbol as an
// argument, or a web page such as a charting site. The set-up persists in the settings
// store.
//
// Callers set Symbol, call SendSymbolToTarget and read LinkStatus: 1 when the last
// symbol was delivered, 2 while it is on its way to a local program (the outcome
// follows with LateOutcome), 0 before any delivery, while nothing is set up and
// after a failed delivery.
class TKestrovaGenericConnector2X : public QWidget
{
    Q_OBJECT

public:
    // The set-up of the link group is read from the store and kept there.
    TKestrovaGenericConnector2X(TSettingsStore &store, int group, QWidget *parent = nullptr);
    ~TKestrovaGenericConnector2X() override;

    const QString &Symbol() const { return symbol_; }
    void SetSymbol(const QString &symbol) { symbol_ = symbol; }
    // Hands Symbol to the target. Delivery problems are never raised: they show in
    // the panel and in LinkStatus. An empty symbol is not sent and changes nothing.
    void SendSymbolToTarget();
    int LinkStatus() const { return linkStatus_; }
    static constexpr int LinkFailed = 0;
    static constexpr int LinkDelivered = 1;
    static constexpr int LinkPending = 2;

    const TLinkSettings &Settings() const { return settings_; }
    void SetSettings(const TLinkSettings &settings);
    // The last outcome as the panel shows it.
    QString StatusText() const;

Q_SIGNALS:
    // An outcome that arrived after SendSymbolToTarget returned; LinkStatus and the
    // panel already show it.
    void LateOutcome();

private:
    void ShowOutcome(const TDeliveryResult &result);

    void BuildPanel();
    void ShowSettings();
    void ShowRowsOfTarget();
    // Takes the panel's fields into the settings and stores them.
    void PanelEdited();
    void SaveSettings();

    TSettingsStore &store_;
    const int group_;
    QString symbol_;
    int linkStatus_ = 0;
    TLinkSettings settings_;
    TSymbolDelivery delivery_;

    QFormLayout *form_ = nullptr;
    QComboBox *targetBox_ = nullptr;
    QLineEdit *hostEdit_ = nullptr;
    QSpinBox *portBox_ = nullptr;
    QLineEdit *commandEdit_ = nullptr;
    QLineEdit *urlEdit_ = nullptr;
    QLabel *statusLabel_ = nullptr;
};
