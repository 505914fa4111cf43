#pragma once

#include "client/ui/linking/LinkGroups.h"

#include <QObject>

#include <array>

class QAction;
class QMenu;
class QWidget;

// The link group of one alert window: the "Link Group" submenu of its menu, with the
// four coloured groups to check, and the small square of the group's colour in the
// corner of its grid's header. Every window starts in group 1, which shows no square:
// a desk that never uses groups looks as it always did, and a window without a square
// sends where every window always sent.
class TLinkGroupChooser : public QObject
{
    Q_OBJECT

public:
    // Adds the submenu to menu and puts the square on grid.
    TLinkGroupChooser(QMenu *menu, QWidget *grid);

    int Group() const { return group_; }
    // Anything but a group (a damaged store) leaves the window where it is.
    void SetGroup(int group);

    QMenu *Menu() const { return menu_; }
    QAction *GroupAction(int group) const;
    // The coloured square; hidden in group 1.
    QWidget *Mark() const { return mark_; }

private:
    int group_;
    QMenu *menu_;
    std::array<QAction *, LinkGroupCount> actions_{};
    QWidget *mark_;
};
