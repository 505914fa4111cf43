#pragma once

#include <QObject>
#include <QString>

class QAction;
class QMenu;
class TChangeFlasher;
class TSettingsStore;

// The items of an alert window's menu that change how its rows show: "Flash Changes"
// for the grids whose numbers change in place, on until the trader turns it off. The
// choice is kept per window in the settings store.
class TDisplayOptionsMenu : public QObject
{
    Q_OBJECT

public:
    // flasher may be null: the grid has nothing to flash and the menu no such item.
    TDisplayOptionsMenu(QMenu *menu, TChangeFlasher *flasher);

    // The choices kept under the window's section of the store; none kept leaves the
    // defaults.
    void Restore(const TSettingsStore &store, const QString &section);
    void Save(TSettingsStore &store, const QString &section) const;

    // Null when the grid has nothing to flash.
    QAction *FlashChangesAction() const { return flashChanges_; }

private:
    TChangeFlasher *flasher_;
    QAction *flashChanges_ = nullptr;
};
