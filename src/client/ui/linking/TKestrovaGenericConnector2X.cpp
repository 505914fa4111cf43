#include "client/ui/linking/TKestrovaGenericConnector2X.h"

#include "client/core/TSettingsStore.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

struct TTargetChoice
{
    TLinkTarget Target;
    const char *Caption;
};

const TTargetChoice TargetChoices[] = {
    {TLinkTarget::ltNone, "Nowhere (not linked)"},
    {TLinkTarget::ltClipboard, "Clipboard"},
    {TLinkTarget::ltTcp, "Local program (TCP, one line per symbol)"},
    {TLinkTarget::ltCommand, "Command (symbol as an argument)"},
    {TLinkTarget::ltUrl, "Web page (e.g. a charting site)"},
};

} // namespace

TKestrovaGenericConnector2X::TKestrovaGenericConnector2X(TSettingsStore &store, int group, QWidget *parent)
    : QWidget(parent)
    , store_(store)
    , group_(group)
{
    BuildPanel();
    settings_.Load(store_, group_);
    ShowSettings();
    connect(&delivery_.TcpLink(), &TTcpSymbolLink::Finished, this, [this](bool delivered, const QString &text) {
        ShowOutcome({delivered, false, text});
        Q_EMIT LateOutcome();
    });
}

TKestrovaGenericConnector2X::~TKestrovaGenericConnector2X() = default;

void TKestrovaGenericConnector2X::BuildPanel()
{
    targetBox_ = new QComboBox(this);
    targetBox_->setObjectName(QStringLiteral("TargetBox"));
    for (const TTargetChoice &choice : TargetChoices)
        targetBox_->addItem(QString::fromLatin1(choice.Caption), int(choice.Target));

    hostEdit_ = new QLineEdit(this);
    hostEdit_->setObjectName(QStringLiteral("HostEdit"));
    portBox_ = new QSpinBox(this);
    portBox_->setObjectName(QStringLiteral("PortBox"));
    portBox_->setRange(0, 65535);
    portBox_->setSpecialValueText(QStringLiteral("(none)"));
    commandEdit_ = new QLineEdit(this);
    commandEdit_->setObjectName(QStringLiteral("CommandEdit"));
    commandEdit_->setPlaceholderText(QStringLiteral("/path/to/program --symbol ") + SymbolPlaceholder());
    urlEdit_ = new QLineEdit(this);
    urlEdit_->setObjectName(QStringLiteral("UrlEdit"));
    urlEdit_->setPlaceholderText(QStringLiteral("https://charts.example.com/?s=") + SymbolPlaceholder());
    statusLabel_ = new QLabel(QStringLiteral("Not linked."), this);
    statusLabel_->setObjectName(QStringLiteral("StatusLabel"));
    // Outcomes name the symbol, which is server text: never markup.
    statusLabel_->setTextFormat(Qt::PlainText);
    statusLabel_->setWordWrap(true);

    auto *intro = new QLabel(QStringLiteral("Choose where a symbol clicked in an alert window goes. "
                                            "In a command or web page, %1 stands for the symbol.")
                                 .arg(SymbolPlaceholder()),
                             this);
    intro->setWordWrap(true);

    form_ = new QFormLayout;
    form_->addRow(QStringLiteral("Send symbols to:"), targetBox_);
    form_->addRow(QStringLiteral("Host:"), hostEdit_);
    form_->addRow(QStringLiteral("Port:"), portBox_);
    form_->addRow(QStringLiteral("Command:"), commandEdit_);
    form_->addRow(QStringLiteral("Web page:"), urlEdit_);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form_);
    layout->addWidget(statusLabel_);
    layout->addStretch();

    connect(targetBox_, &QComboBox::currentIndexChanged, this, [this] { PanelEdited(); });
    connect(hostEdit_, &QLineEdit::editingFinished, this, [this] { PanelEdited(); });
    connect(portBox_, &QSpinBox::valueChanged, this, [this] { PanelEdited(); });
    connect(commandEdit_, &QLineEdit::editingFinished, this, [this] { PanelEdited(); });
    connect(urlEdit_, &QLineEdit::editingFinished, this, [this] { PanelEdited(); });
}

void TKestrovaGenericConnector2X::ShowSettings()
{
    const QSignalBlocker blockTarget(targetBox_);
    const QSignalBlocker blockPort(portBox_);
    targetBox_->setCurrentIndex(targetBox_->findData(int(settings_.Target)));
    hostEdit_->setText(settings_.Host);
    portBox_->setValue(settings_.Port);
    commandEdit_->setText(settings_.Command);
    urlEdit_->setText(settings_.UrlTemplate);
    ShowRowsOfTarget();
}

void TKestrovaGenericConnector2X::ShowRowsOfTarget()
{
    const TLinkTarget target = settings_.Target;
    form_->setRowVisible(hostEdit_, target == TLinkTarget::ltTcp);
    form_->setRowVisible(portBox_, target == TLinkTarget::ltTcp);
    form_->setRowVisible(commandEdit_, target == TLinkTarget::ltCommand);
    form_->setRowVisible(urlEdit_, target == TLinkTarget::ltUrl);
}

void TKestrovaGenericConnector2X::PanelEdited()
{
    settings_.Target = TLinkTarget(targetBox_->currentData().toInt());
    settings_.Host = hostEdit_->text().trimmed();
    settings_.Port = portBox_->value();
    settings_.Command = commandEdit_->text();
    // A refused web page keeps the one saved before, and the panel says why.
    const QString refusal = UrlTemplateRefusal(urlEdit_->text());
    if (refusal.isEmpty())
        settings_.UrlTemplate = urlEdit_->text();
    else
        statusLabel_->setText(refusal);
    SaveSettings();
    ShowRowsOfTarget();
}

void TKestrovaGenericConnector2X::SaveSettings()
{
    settings_.Save(store_, group_);
    // Written out at once: a program that is killed still keeps the trader's set-up.
    store_.Flush();
}

void TKestrovaGenericConnector2X::SetSettings(const TLinkSettings &settings)
{
    settings_ = settings;
    SaveSettings();
    ShowSettings();
}

void TKestrovaGenericConnector2X::SendSymbolToTarget()
{
    if (symbol_.isEmpty())
        return;
    ShowOutcome(delivery_.Deliver(settings_, symbol_));
}

void TKestrovaGenericConnector2X::ShowOutcome(const TDeliveryResult &result)
{
    linkStatus_ = result.Delivered ? LinkDelivered : result.Pending ? LinkPending : LinkFailed;
    statusLabel_->setText(result.Text);
}

QString TKestrovaGenericConnector2X::StatusText() const
{
    return statusLabel_->text();
}
