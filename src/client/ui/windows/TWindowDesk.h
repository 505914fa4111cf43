#pragma once

#include "client/ui/windows/TAlertForm.h"

#include <QObject>
#include <QTimer>

class QLayout;
class QListWidget;
class QWidget;
class TGridFrame;
class TSettingsStore;

// The alert windows as one desk: show all, hide all and cascade, the list of
// windows with each one's state and recent alerts, and the columns and column
// widths the user chose, kept per window in the settings store.
class TWindowDesk : public QObject
{
    Q_OBJECT

public:
    // The list box holds one row per window, in the order of windows, which the
    // owner fills as it creates them.
    TWindowDesk(const TAlertForms &windows, QListWidget *list, QObject *parent);

    // The "Show All", "Hide All" and "Cascade" buttons, for the Windows tab.
    QLayout *MakeButtons(QWidget *tab);

    void ShowAll();
    void HideAll();
    // Brings every shown window up restored, one below and right of the other,
    // from the top-left corner of the first one's screen.
    void Cascade();
    // Gives windows without a saved place their first one: tiled within the available
    // area of the main window's screen, beside the main window, none covering another.
    static void TileBeside(const QWidget *mainWindow, const TAlertForms &newcomers);
    // Rewrites each row: the window's title, its state and its alerts in the last
    // minute. Runs once a second by itself.
    void RefreshList();

    static QString StateText(const QWidget *window);
    // A desk's name is the trader's own text and becomes part of a settings key: it
    // must be trimmed, not empty, short, and free of path separators and control
    // characters.
    static bool IsValidDeskName(const QString &name);
    // The columns the user chose to show, in their order, then the widths the user
    // chose for them.
    static void RestoreColumns(const TSettingsStore &store, const QString &section, TGridFrame *grid);
    // Writes the user's choice of columns and their widths; a grid that shows its
    // default columns at their measured widths leaves the store as it was.
    static void SaveColumns(TSettingsStore &store, const QString &section, const TGridFrame *grid);

private:
    // Widths are kept by shown column: restored after the columns they belong to.
    static void RestoreColumnWidths(const TSettingsStore &store, const QString &section, TGridFrame *grid);
    static void SaveColumnWidths(TSettingsStore &store, const QString &section, const TGridFrame *grid);

    const TAlertForms &windows_;
    QListWidget *list_;
    QTimer refreshTimer_;
};
