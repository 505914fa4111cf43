#include "client/ui/windows/TAlertForm.h"

#include "client/core/AlertParsing.h"
#include "client/core/TMainConnection.h"
#include "client/ui/desktop/TAlertAnnouncer.h"
#include "client/ui/grids/TSmbTopListFullGrid.h"
#include "client/ui/kinds/TKindView.h"
#include "client/ui/windows/TAlertShareMenu.h"
#include "client/ui/windows/TDisplayOptionsMenu.h"
#include "client/ui/windows/TLinkGroupChooser.h"
#include "shared/DisplayText.h"
#include "shared/SafeText.h"
#include "shared/TIniFile.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLocale>
#include <QMenu>
#include <QVBoxLayout>

namespace {

constexpr int ExpireIntervalMs = 1000;
constexpr TColor DefaultDataTextColor = clWhite;

} // namespace

TAlertForm::TAlertForm(const TAlertFormServices &services, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , services_(services)
    , list_(services.Excludes.Symbols())
    , alarm_(services.Excludes.Symbols())
{
    setObjectName(QStringLiteral("AlertForm"));
    // Closing only hides the window; the main window can show it again.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(401, 480);
    title_ = QStringLiteral("Alerts");
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    BuildMenus();
    expireBollingersTimer_.setInterval(ExpireIntervalMs);
    connect(&expireBollingersTimer_, &QTimer::timeout, this, &TAlertForm::ExpireBollingersTimerTimer);
    expireBollingersTimer_.start();
    FormCreate();
}

// The view's grid is a child widget: Qt deletes it with the window.
TAlertForm::~TAlertForm() = default;

void TAlertForm::FormCreate()
{
    // Dropped when the window goes (only ever in tests and fuzzing), also while an
    // alert is being handed out.
    // While a recorded day replays, it takes the live alerts' place.
    TMainConnection &connection = services_.Connection;
    TAlertReplay &replay = connection.Replay();
    subscriptions_.push_back(connection.SubscribeAlerts([this, &replay](QByteArrayView data) {
        if (!replay.Active())
            HandleAlert(data);
    }));
    subscriptions_.push_back(connection.SubscribeLinkGaps([this, &replay](const TLinkGap &gap) {
        if (!replay.Active())
            MarkLinkGap(gap);
    }));
    subscriptions_.push_back(connection.SubscribeStale([this] { ShowTitle(); }));
    subscriptions_.push_back(replay.SubscribeAlerts([this](QByteArrayView data) { HandleAlert(data); }));
    subscriptions_.push_back(replay.SubscribeState([this] { ShowTitle(); }));
    ShowTitle();
}

void TAlertForm::ShowTitle()
{
    const TMainConnection &connection = services_.Connection;
    const QString title = connection.Replay().Active() ? title_ + QStringLiteral(" (replay)")
                          : connection.Stale()         ? title_ + QStringLiteral(" (stale)")
                                                       : title_;
    // Told of every slice a replay plays: the title is set only when it changes.
    if (windowTitle() != title)
        setWindowTitle(title);
}

void TAlertForm::BuildMenus()
{
    clearPopup_ = new QMenu(this);
    clearPopup_->setObjectName(QStringLiteral("ClearPopup"));
    clearWindowMenuItem_ = clearPopup_->addAction(QStringLiteral("Clear Window"));
    clearWindowMenuItem_->setObjectName(QStringLiteral("ClearWindowMenuItem"));
    clearWindowMenuItem_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete));
    connect(clearWindowMenuItem_, &QAction::triggered, this, &TAlertForm::ClearWindow);

    freezeAction_ = new QAction(QStringLiteral("Freeze"), this);
    freezeAction_->setObjectName(QStringLiteral("FreezeAction"));
    freezeAction_->setCheckable(true);
    freezeAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(freezeAction_, &QAction::triggered, this, &TAlertForm::FreezeActionExecute);
    sortNowAction_ = new QAction(QStringLiteral("Sort Now"), this);
    sortNowAction_->setObjectName(QStringLiteral("SortNowAction"));
    sortNowAction_->setShortcut(QKeySequence(Qt::Key_F5));
    connect(sortNowAction_, &QAction::triggered, this, &TAlertForm::SortNowActionExecute);

    smbMenu_ = new QMenu(this);
    smbMenu_->setObjectName(QStringLiteral("SmbMenu"));
    smbMenu_->addAction(freezeAction_);
    smbMenu_->addAction(sortNowAction_);
    connect(smbMenu_, &QMenu::aboutToShow, this, &TAlertForm::UpdateActions);
}

void TAlertForm::LoadConfiguration(const TIniFile &ini, const QByteArray &section)
{
    list_.SetSubscription(ini.ReadString(section, "subscription", QByteArray()));
    suffix_ = ini.ReadString(section, "suffix", QByteArray());
    title_ = ini.ReadText(section, "title", QStringLiteral("Alerts"));
    ShowTitle();
    const TColor color = ini.ReadInteger(section, "color", DefaultDataTextColor);
    list_.SetDisplay(ini.ReadText(section, "display", QString()));

    // The grid measures its rows and columns in the window's font as it is made.
    view_ = MakeKindView(Kind(), this);
    grid_ = view_->Grid();
    grid_->setObjectName(QStringLiteral("Grid"));
    grid_->SetPaintLag(services_.PaintLag);
    grid_->setVisible(true);
    layout()->addWidget(grid_);
    if (Kind().HasClearWindow())
        popup_ = clearPopup_;
    else if (view_->SortedTopList())
        popup_ = smbMenu_;
    // The menu's shortcuts work anywhere in the window, menu open or not.
    if (popup_)
        addActions(popup_->actions());
    if (!popup_) {
        popup_ = new QMenu(this);
        popup_->setObjectName(QStringLiteral("SharePopup"));
    }
    // The group is read at every click, so a new choice applies to the next symbol.
    grid_->SetSymbolSender([this](const QString &symbol) {
        if (services_.SendSymbol)
            services_.SendSymbol(linkGroup_->Group(), symbol);
    });
    shareMenu_ = new TAlertShareMenu(popup_, grid_, title_, Kind().UsesExcludeList(), services_.Excludes);
    popup_->addSeparator();
    muteAction_ = popup_->addAction(QStringLiteral("Mute"));
    muteAction_->setObjectName(QStringLiteral("MuteMenuItem"));
    muteAction_->setCheckable(true);
    connect(muteAction_, &QAction::toggled, this, &TAlertForm::SetMuted);
    linkGroup_ = new TLinkGroupChooser(popup_, grid_);
    displayOptions_ = new TDisplayOptionsMenu(popup_, view_->Flasher(), list_.Kind());
    displayOptions_->LoadConfiguration(ini, section);
    alarm_.LoadConfiguration(ini, section);

    view_->ApplySettings(ini, section, color);
}

QString TAlertForm::PlacementName() const
{
    return QString::fromUtf8(Subscription() + suffix_);
}

TSmbTopListFullGrid *TAlertForm::SmbGrid() const
{
    return view_ ? view_->SortedTopList() : nullptr;
}

void TAlertForm::HandleAlert(QByteArrayView data)
{
    if (!list_.HandleAlert(data))
        return;
    recentAlerts_.Add(SteadyTickMs());
    if (grid_) {
        const TDrawGrid::TPacedRepaints paced(*grid_);
        ShowEntries();
    }
    CallOut(data);
}

void TAlertForm::CallOut(QByteArrayView data)
{
    if (!alarm_.Configured())
        return;
    const TAlertSummary alert = list_.Summarize(data);
    const TAlertAlarm::TCallOut callOut = alarm_.Admit(alert);
    if (!callOut.Now)
        return;
    QString message = alert.Figures;
    if (callOut.HeldBack > 0)
        message += QStringLiteral("  and %1 more").arg(QLocale().toString(callOut.HeldBack));
    // The configured title: " (stale)" is about the window, not about this alert.
    Announce(DisplayText(alert.Symbol) + QStringLiteral(" – ") + title_, message);
}

void TAlertForm::Announce(const QString &title, const QString &message)
{
    TAlertAnnouncer &announcer = services_.Announcer;
    if (alarm_.PlaysBeep())
        announcer.Beep();
    else if (!alarm_.Sound().isEmpty())
        announcer.PlaySound(alarm_.Sound());
    if (alarm_.Notifies())
        announcer.ShowNotification(title, message);
}

void TAlertForm::SetMuted(bool muted)
{
    alarm_.SetMuted(muted);
    if (muteAction_)
        muteAction_->setChecked(muted);
}

void TAlertForm::MarkLinkGap(const TLinkGap &gap)
{
    if (list_.Kind().AddGapMarker(gap))
        ShowEntries();
}

void TAlertForm::ShowEntries()
{
    // Alerts can arrive between creation and configuration, before there is a grid.
    if (!view_)
        return;
    view_->Show(Kind());
    UpdateActions();
}

void TAlertForm::ExpireBollingersTimerTimer()
{
    // Alerts held back by a burst call out together once it has passed.
    if (const int heldBack = alarm_.TakeHeldBack())
        Announce(title_, heldBack == 1 ? QStringLiteral("1 more alert")
                                       : QStringLiteral("%1 more alerts").arg(QLocale().toString(heldBack)));
    if (list_.Kind().Expire(SteadyNowMs()))
        ShowEntries();
    if (TSmbTopListFullGrid *smb = SmbGrid()) {
        smb->CheckSortTimer();
        UpdateActions();
    }
}

void TAlertForm::ClearWindow()
{
    if (list_.Kind().ClearWindow())
        ShowEntries();
}

void TAlertForm::FreezeActionExecute()
{
    // A checkable action has flipped its check mark before it triggers, so the mark
    // now holds the opposite of the state shown when the user chose it.
    if (TSmbTopListFullGrid *smb = SmbGrid())
        smb->SetFrozen(freezeAction_->isChecked());
    FreezeActionUpdate();
}

void TAlertForm::FreezeActionUpdate()
{
    if (TSmbTopListFullGrid *smb = SmbGrid())
        freezeAction_->setChecked(smb->Frozen());
}

void TAlertForm::SortNowActionExecute()
{
    if (TSmbTopListFullGrid *smb = SmbGrid())
        smb->SortNow();
    SortNowActionUpdate();
}

void TAlertForm::SortNowActionUpdate()
{
    TSmbTopListFullGrid *smb = SmbGrid();
    if (!smb)
        return;
    sortNowAction_->setEnabled(smb->UpdatePending());
    const QString &missing = smb->MissingText();
    sortNowAction_->setText(missing.isEmpty() ? QStringLiteral("Sort Now")
                                              : QStringLiteral("Sort Now (") + MenuItemText(missing) + QStringLiteral(" missing)"));
}

void TAlertForm::UpdateActions()
{
    FreezeActionUpdate();
    SortNowActionUpdate();
}

void TAlertForm::changeEvent(QEvent *event)
{
    // New regional settings: the next alert's numbers are read with their separator.
    if (event->type() == QEvent::LocaleChange)
        ForgetRegionalDecimalSeparator();
    QWidget::changeEvent(event);
}

void TAlertForm::contextMenuEvent(QContextMenuEvent *event)
{
    if (!popup_) {
        event->ignore();
        return;
    }
    shareMenu_->AimAt(grid_->viewport()->mapFrom(this, event->pos()));
    popup_->exec(event->globalPos());
}
