#include "client/ui/windows/TExternalLinkingWindow.h"

#include "client/ui/linking/TKestrovaGenericConnector2X.h"

#include <QPixmap>
#include <QTabWidget>
#include <QVBoxLayout>

TExternalLinkingWindow::TExternalLinkingWindow(TSettingsStore &store, QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("ExternalLinkingWindow"));
    setWindowTitle(QStringLiteral("External Linking Window"));
    resize(443, 440);
    // Closing it only hides it; it must not end the program on its own.
    setAttribute(Qt::WA_QuitOnClose, false);
    FormCreate(store);
}

void TExternalLinkingWindow::FormCreate(TSettingsStore &store)
{
    groupTabs_ = new QTabWidget(this);
    groupTabs_->setObjectName(QStringLiteral("GroupTabs"));
    for (int group = FirstLinkGroup; group <= LinkGroupCount; ++group) {
        auto *connector = new TKestrovaGenericConnector2X(store, group, groupTabs_);
        connector->setObjectName(group == FirstLinkGroup ? QStringLiteral("Connector")
                                                         : QStringLiteral("Connector%1").arg(group));
        // A local program's answer comes later; a failure then brings the window up.
        connect(connector, &TKestrovaGenericConnector2X::LateOutcome, this, [this, group] {
            if (Connector(group)->LinkStatus() == TKestrovaGenericConnector2X::LinkFailed)
                ShowFailure(group);
        });
        QPixmap swatch(12, 12);
        swatch.fill(LinkGroupColor(group));
        groupTabs_->addTab(connector, QIcon(swatch), QStringLiteral("%1 %2").arg(group).arg(LinkGroupName(group)));
        connectors_[size_t(group - FirstLinkGroup)] = connector;
    }
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(groupTabs_);
}

TKestrovaGenericConnector2X *TExternalLinkingWindow::Connector(int group) const
{
    return IsLinkGroup(group) ? connectors_[size_t(group - FirstLinkGroup)] : nullptr;
}

void TExternalLinkingWindow::SendSymbol(int group, const QString &symbol)
{
    TKestrovaGenericConnector2X *connector = Connector(group);
    if (!connector)
        return;
    connector->SetSymbol(symbol);
    connector->SendSymbolToTarget();
    if (connector->LinkStatus() == TKestrovaGenericConnector2X::LinkFailed)
        ShowFailure(group);
}

void TExternalLinkingWindow::ShowFailure(int group)
{
    groupTabs_->setCurrentWidget(Connector(group));
    ShowRestored();
}

void TExternalLinkingWindow::ShowRestored()
{
    show();
    if (windowState() & Qt::WindowMinimized)
        setWindowState(windowState() & ~Qt::WindowMinimized);
}
