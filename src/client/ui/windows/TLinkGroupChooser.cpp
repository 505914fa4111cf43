#include "client/ui/windows/TLinkGroupChooser.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QActionGroup>
#include <QIcon>
#include <QMenu>
#include <QPixmap>

namespace {

// Small enough to leave a centred header caption alone, large enough to tell apart.
constexpr int MarkSize = 8;
constexpr int MarkInset = 3;

} // namespace

TLinkGroupChooser::TLinkGroupChooser(QMenu *menu, QWidget *grid)
    : QObject(menu)
    , group_(FirstLinkGroup)
    , menu_(menu->addMenu(QStringLiteral("Link Group")))
    , mark_(new QWidget(grid))
{
    menu_->setObjectName(QStringLiteral("LinkGroupMenu"));
    auto *exclusive = new QActionGroup(menu_);
    for (int group = FirstLinkGroup; group <= LinkGroupCount; ++group) {
        QPixmap swatch(12, 12);
        swatch.fill(LinkGroupColor(group));
        QAction *action = menu_->addAction(QIcon(swatch), QStringLiteral("%1 %2").arg(group).arg(LinkGroupName(group)));
        action->setCheckable(true);
        exclusive->addAction(action);
        connect(action, &QAction::triggered, this, [this, group] { SetGroup(group); });
        actions_[size_t(group - FirstLinkGroup)] = action;
    }

    mark_->setObjectName(QStringLiteral("LinkGroupMark"));
    mark_->setAttribute(Qt::WA_TransparentForMouseEvents);
    mark_->setAutoFillBackground(true);
    // In the corner of the header row, which stays put while the rows scroll.
    const auto *scrollArea = qobject_cast<const QAbstractScrollArea *>(grid);
    const int frame = scrollArea ? scrollArea->frameWidth() : 0;
    mark_->setGeometry(frame + MarkInset, frame + MarkInset, MarkSize, MarkSize);
    SetGroup(FirstLinkGroup);
}

QAction *TLinkGroupChooser::GroupAction(int group) const
{
    return IsLinkGroup(group) ? actions_[size_t(group - FirstLinkGroup)] : nullptr;
}

void TLinkGroupChooser::SetGroup(int group)
{
    if (!IsLinkGroup(group))
        return;
    group_ = group;
    GroupAction(group)->setChecked(true);
    QPalette palette = mark_->palette();
    palette.setColor(QPalette::Window, LinkGroupColor(group));
    mark_->setPalette(palette);
    mark_->setVisible(group != FirstLinkGroup);
    mark_->raise();
}
