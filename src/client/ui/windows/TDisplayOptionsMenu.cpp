#include "client/ui/windows/TDisplayOptionsMenu.h"

#include "client/core/TSettingsStore.h"
#include "client/core/kinds/TAlertKind.h"
#include "client/ui/grids/TChangeFlasher.h"
#include "shared/TIniFile.h"

#include <QAction>
#include <QActionGroup>
#include <QLocale>
#include <QMenu>

#include <algorithm>

namespace {

const QString FlashChangesName = QStringLiteral("FlashChanges");
const QString FoldSecondsName = QStringLiteral("FoldSeconds");
// An hour is a session, not a burst.
constexpr int LongestFold = 3600;

int FoldWithinRange(int seconds)
{
    return std::clamp(seconds, 0, LongestFold);
}

} // namespace

TDisplayOptionsMenu::TDisplayOptionsMenu(QMenu *menu, TChangeFlasher *flasher, TAlertKind &kind)
    : QObject(menu)
    , flasher_(flasher)
    , kind_(kind)
{
    if (flasher_) {
        flashChanges_ = menu->addAction(QStringLiteral("Flash Changes"));
        flashChanges_->setObjectName(QStringLiteral("FlashChangesMenuItem"));
        flashChanges_->setCheckable(true);
        // Off until the trader turns it on, so a desk looks as it did before.
        connect(flashChanges_, &QAction::toggled, this, [this](bool on) { flasher_->SetEnabled(on); });
    }
    if (kind_.CanFoldBursts()) {
        foldMenu_ = menu->addMenu(QStringLiteral("Fold Bursts"));
        foldMenu_->setObjectName(QStringLiteral("FoldBurstsMenu"));
        foldItems_ = new QActionGroup(this);
        for (const int seconds : {0, 5, 10, 30})
            FoldItem(seconds);
        FoldItem(0)->setChecked(true);
    }
}

QAction *TDisplayOptionsMenu::FoldItem(int seconds)
{
    for (QAction *item : foldItems_->actions())
        if (item->data().toInt() == seconds)
            return item;
    const QString text = seconds == 0 ? QStringLiteral("Off") : QStringLiteral("%1 s").arg(QLocale().toString(seconds));
    auto *item = new QAction(text, foldItems_);
    item->setCheckable(true);
    item->setData(seconds);
    connect(item, &QAction::triggered, this, [this, seconds] { SetFoldSeconds(seconds); });
    // In order of the window they fold.
    QAction *before = nullptr;
    for (QAction *other : foldMenu_->actions())
        if (!before && other->data().toInt() > seconds)
            before = other;
    foldMenu_->insertAction(before, item);
    return item;
}

void TDisplayOptionsMenu::SetFoldSeconds(int seconds)
{
    if (!foldMenu_)
        return;
    foldSeconds_ = FoldWithinRange(seconds);
    kind_.SetFoldSeconds(foldSeconds_);
    FoldItem(foldSeconds_)->setChecked(true);
}

void TDisplayOptionsMenu::LoadConfiguration(const TIniFile &ini, const QByteArray &section)
{
    configuredFoldSeconds_ = FoldWithinRange(ini.ReadInteger(section, "fold seconds", 0));
    SetFoldSeconds(configuredFoldSeconds_);
}

void TDisplayOptionsMenu::Restore(const TSettingsStore &store, const QString &section)
{
    if (flashChanges_)
        flashChanges_->setChecked(store.ReadBool(section, FlashChangesName, false));
    SetFoldSeconds(store.ReadInteger(section, FoldSecondsName, configuredFoldSeconds_));
}

void TDisplayOptionsMenu::Save(TSettingsStore &store, const QString &section) const
{
    // A window left as it came writes nothing.
    if (flashChanges_ && (flashChanges_->isChecked() || store.Contains(section, FlashChangesName)))
        store.WriteBool(section, FlashChangesName, flashChanges_->isChecked());
    if (foldMenu_ && (foldSeconds_ != configuredFoldSeconds_ || store.Contains(section, FoldSecondsName)))
        store.WriteInteger(section, FoldSecondsName, foldSeconds_);
}
