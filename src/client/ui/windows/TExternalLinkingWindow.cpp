#include "client/ui/windows/TExternalLinkingWindow.h"

#include "client/ui/linking/TKestrovaGenericConnector2X.h"

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
    connector_ = new TKestrovaGenericConnector2X(store, this);
    connector_->setObjectName(QStringLiteral("Connector"));
    connector_->setVisible(true);
    // A local program's answer comes later; a failure then brings the window up.
    connect(connector_, &TKestrovaGenericConnector2X::LateOutcome, this, [this] {
        if (connector_->LinkStatus() == TKestrovaGenericConnector2X::LinkFailed)
            ShowRestored();
    });
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(connector_);
}

void TExternalLinkingWindow::SendSymbol(const QString &symbol)
{
    connector_->SetSymbol(symbol);
    connector_->SendSymbolToTarget();
    if (connector_->LinkStatus() == TKestrovaGenericConnector2X::LinkFailed)
        ShowRestored();
}

void TExternalLinkingWindow::ShowRestored()
{
    show();
    if (windowState() & Qt::WindowMinimized)
        setWindowState(windowState() & ~Qt::WindowMinimized);
}
