#pragma once

#include "client/core/TAlertAlarm.h"
#include "client/core/TAlertRate.h"
#include "client/core/TWindowList.h"
#include "client/ui/windows/TAlertFormServices.h"
#include "shared/TListeners.h"

#include <QByteArray>
#include <QTimer>
#include <QVector>
#include <QWidget>

#include <memory>
#include <vector>

class QAction;
class QMenu;
class TGridFrame;
class TIniFile;
class TAlertShareMenu;
class TDisplayOptionsMenu;
class TKindView;
class TLinkGroupChooser;
class TSmbTopListFullGrid;

// One alert window: the alerts of one category, kept by the rules of the window's
// kind and shown in the grid of that kind. Its kind, category and look come from its
// ini section; closing it only hides it, and alerts keep arriving while it is hidden.
class TAlertForm : public QWidget
{
    Q_OBJECT

public:
    // Registers the window for alerts at once, before it is configured.
    explicit TAlertForm(const TAlertFormServices &services, QWidget *parent = nullptr);
    ~TAlertForm() override;

    // Reads the window's section (e.g. "Alert Window 0") and builds its grid.
    // Called once, right after creation, with the window's font already set.
    void LoadConfiguration(const TIniFile &ini, const QByteArray &section);

    // The alert handler: takes the bodies of this window's category.
    void HandleAlert(QByteArrayView data);
    // A newest-first window puts the gap's marker row on top.
    void MarkLinkGap(const TLinkGap &gap);

    const QByteArray &Subscription() const { return list_.Subscription(); }
    const QByteArray &Suffix() const { return suffix_; }
    // The name the window's placement is saved under: subscription then suffix.
    QString PlacementName() const;
    // The window's kind, which keeps its one list.
    const TAlertKind &Kind() const { return list_.Kind(); }
    // Its sound, notification and cooldown settings; tests set its clock.
    TAlertAlarm &Alarm() { return alarm_; }
    // A muted window neither sounds nor notifies until it is unmuted.
    void SetMuted(bool muted);
    bool Muted() const { return alarm_.Muted(); }
    // Alerts this window took in the last minute.
    int AlertsInLastMinute() const { return recentAlerts_.InLastMinute(SteadyNowMs()); }

    TGridFrame *Grid() const { return grid_; }
    // The right-click menu of the window's kind: "Clear Window" for kinds that have
    // it, Freeze and Sort Now for a sorted top list, else the share items only.
    QMenu *Popup() const { return popup_; }
    TAlertShareMenu *ShareMenu() const { return shareMenu_; }
    // Flash Changes and Fold Bursts; null before the window is configured.
    TDisplayOptionsMenu *DisplayOptions() const { return displayOptions_; }
    QAction *ClearWindowMenuItem() const { return clearWindowMenuItem_; }
    QAction *FreezeAction() const { return freezeAction_; }
    QAction *SortNowAction() const { return sortNowAction_; }
    QAction *MuteAction() const { return muteAction_; }
    // Which link group's target the window's clicked symbols go to; group 1 until the
    // trader picks another from the menu.
    TLinkGroupChooser *LinkGroup() const { return linkGroup_; }

    // Alerts held back by a burst of call-outs, band-set expiry, then the full top
    // list's sort check.
    void ExpireBollingersTimerTimer();
    // Empties a newest-first list.
    void ClearWindow();
    void FreezeActionExecute();
    void FreezeActionUpdate();
    void SortNowActionExecute();
    void SortNowActionUpdate();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void FormCreate();
    void BuildMenus();
    // Hands the list of the window's kind to the grid.
    void ShowEntries();
    // Sounds and notifies for an alert the window took, as its settings ask.
    void CallOut(QByteArrayView data);
    // Sounds and notifies as the window's section asks.
    void Announce(const QString &title, const QString &message);
    void UpdateActions();
    TSmbTopListFullGrid *SmbGrid() const;
    // The configured title, with " (replay)" while a recorded day replays, else
    // " (stale)" while the link is down.
    void ShowTitle();

    TAlertFormServices services_;
    TWindowList list_;
    std::unique_ptr<TKindView> view_;
    QByteArray suffix_;
    QString title_;
    TGridFrame *grid_ = nullptr;
    TAlertAlarm alarm_;
    TAlertRate recentAlerts_;

    QTimer expireBollingersTimer_;
    QMenu *clearPopup_ = nullptr;
    QAction *clearWindowMenuItem_ = nullptr;
    QMenu *smbMenu_ = nullptr;
    QAction *freezeAction_ = nullptr;
    QAction *sortNowAction_ = nullptr;
    QMenu *popup_ = nullptr;
    TAlertShareMenu *shareMenu_ = nullptr;
    TDisplayOptionsMenu *displayOptions_ = nullptr;
    QAction *muteAction_ = nullptr;
    TLinkGroupChooser *linkGroup_ = nullptr;
    // Last, so the connection stops calling before anything else of the window goes.
    std::vector<TSubscription> subscriptions_;
};

// The alert windows in the order of their ini sections.
using TAlertForms = QVector<TAlertForm *>;
