#pragma once

#include <QWidget>

class TKestrovaGenericConnector2X;
class TSettingsStore;

// The small window that hosts the connector and passes it every clicked symbol.
// There is one per program, the receiver of every symbol that leaves a grid; it stays
// hidden until the trader needs to see the link set-up.
class TExternalLinkingWindow : public QWidget
{
    Q_OBJECT

public:
    // The link set-up is kept in the store.
    explicit TExternalLinkingWindow(TSettingsStore &store, QWidget *parent = nullptr);

    // Hands the symbol on; when the connector then reports no working link, the
    // window comes up so the trader can set one up.
    void SendSymbol(const QString &symbol);
    // Shows the window, restoring it when it is minimised.
    void ShowRestored();

    TKestrovaGenericConnector2X *Connector() const { return connector_; }

private:
    void FormCreate(TSettingsStore &store);

    TKestrovaGenericConnector2X *connector_ = nullptr;
};
