#pragma once

#include "client/ui/linking/LinkGroups.h"

#include <QWidget>

#include <array>

class QTabWidget;
class TKestrovaGenericConnector2X;
class TSettingsStore;

// The small window that hosts the connectors of the four link groups, one tab each,
// and passes every clicked symbol to the connector of its window's group. There is one
// per program, the receiver of every symbol that leaves a grid; it stays hidden until
// the trader needs to see the link set-up.
class TExternalLinkingWindow : public QWidget
{
    Q_OBJECT

public:
    // The link set-up is kept in the store.
    explicit TExternalLinkingWindow(TSettingsStore &store, QWidget *parent = nullptr);

    // Hands the symbol to the group's connector, as it is set up at this moment; when
    // the connector then reports no working link, the window comes up on the group's
    // tab so the trader can set one up.
    void SendSymbol(int group, const QString &symbol);
    // To group 1, the target of a window that never chose another.
    void SendSymbol(const QString &symbol) { SendSymbol(FirstLinkGroup, symbol); }
    // Shows the window, restoring it when it is minimised.
    void ShowRestored();

    TKestrovaGenericConnector2X *Connector(int group = FirstLinkGroup) const;

private:
    void FormCreate(TSettingsStore &store);
    void ShowFailure(int group);

    QTabWidget *groupTabs_ = nullptr;
    std::array<TKestrovaGenericConnector2X *, LinkGroupCount> connectors_{};
};
