#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QAction;
class QActionGroup;
class QMenu;
class TAlertKind;
class TChangeFlasher;
class TIniFile;
class TSettingsStore;

// The items of an alert window's menu that change how its rows show: "Flash Changes"
// for the grids whose numbers change in place, off until the trader turns it on, and
// "Fold Bursts" for the kinds that can fold a burst of one symbol's alerts into one
// row, off unless the window's "fold seconds" says otherwise. The choices are kept per
// window in the settings store.
class TDisplayOptionsMenu : public QObject
{
    Q_OBJECT

public:
    // flasher may be null: the grid has nothing to flash and the menu no such item.
    // kind must outlive the menu.
    TDisplayOptionsMenu(QMenu *menu, TChangeFlasher *flasher, TAlertKind &kind);

    // The window's "fold seconds": the fold window until the store says otherwise.
    void LoadConfiguration(const TIniFile &ini, const QByteArray &section);
    // The choices kept under the window's section of the store; none kept leaves the
    // defaults.
    void Restore(const TSettingsStore &store, const QString &section);
    void Save(TSettingsStore &store, const QString &section) const;

    // Null when the grid has nothing to flash.
    QAction *FlashChangesAction() const { return flashChanges_; }
    // The fold windows to choose from, "Off" first; null when the kind cannot fold.
    QMenu *FoldBurstsMenu() const { return foldMenu_; }
    int FoldSeconds() const { return foldSeconds_; }
    void SetFoldSeconds(int seconds);

private:
    // The item for a fold window, made when none offers it yet.
    QAction *FoldItem(int seconds);

    TChangeFlasher *flasher_;
    TAlertKind &kind_;
    QAction *flashChanges_ = nullptr;
    QMenu *foldMenu_ = nullptr;
    QActionGroup *foldItems_ = nullptr;
    int foldSeconds_ = 0;
    int configuredFoldSeconds_ = 0;
};
