#include "client/ui/windows/TDisplayOptionsMenu.h"

#include "client/core/TSettingsStore.h"
#include "client/ui/grids/TChangeFlasher.h"

#include <QAction>
#include <QMenu>

namespace {

const QString FlashChangesName = QStringLiteral("FlashChanges");

} // namespace

TDisplayOptionsMenu::TDisplayOptionsMenu(QMenu *menu, TChangeFlasher *flasher)
    : QObject(menu)
    , flasher_(flasher)
{
    if (!flasher_)
        return;
    flashChanges_ = menu->addAction(QStringLiteral("Flash Changes"));
    flashChanges_->setObjectName(QStringLiteral("FlashChangesMenuItem"));
    flashChanges_->setCheckable(true);
    connect(flashChanges_, &QAction::toggled, this, [this](bool on) { flasher_->SetEnabled(on); });
    flashChanges_->setChecked(true);
}

void TDisplayOptionsMenu::Restore(const TSettingsStore &store, const QString &section)
{
    if (flashChanges_)
        flashChanges_->setChecked(store.ReadBool(section, FlashChangesName, true));
}

void TDisplayOptionsMenu::Save(TSettingsStore &store, const QString &section) const
{
    // A window left as it came writes nothing.
    if (flashChanges_ && (!flashChanges_->isChecked() || store.Contains(section, FlashChangesName)))
        store.WriteBool(section, FlashChangesName, flashChanges_->isChecked());
}
