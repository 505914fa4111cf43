#include "client/ui/windows/TWindowDesk.h"

#include "client/core/TSettingsStore.h"
#include "client/ui/desktop/MonitorFit.h"
#include "client/ui/grid/TGridFrame.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStringList>

#include <algorithm>

namespace {

const QString ColumnWidthsKey = QStringLiteral("ColumnWidths");
const QString ShownColumnsKey = QStringLiteral("ShownColumns");
// One step of a cascade: about a title bar's height.
constexpr int CascadeStep = 28;
// A stored width beyond this is damage, not a choice.
constexpr int WidestColumn = 4000;
constexpr int RefreshIntervalMs = 1000;

QPushButton *Button(const QString &caption, const char *name, QWidget *tab)
{
    auto *button = new QPushButton(caption, tab);
    button->setObjectName(QLatin1String(name));
    return button;
}

} // namespace

TWindowDesk::TWindowDesk(const TAlertForms &windows, QListWidget *list, QObject *parent)
    : QObject(parent)
    , windows_(windows)
    , list_(list)
{
    refreshTimer_.setInterval(RefreshIntervalMs);
    connect(&refreshTimer_, &QTimer::timeout, this, &TWindowDesk::RefreshList);
    refreshTimer_.start();
}

QLayout *TWindowDesk::MakeButtons(QWidget *tab)
{
    QPushButton *showAll = Button(QStringLiteral("Show All"), "ShowAllButton", tab);
    QPushButton *hideAll = Button(QStringLiteral("Hide All"), "HideAllButton", tab);
    QPushButton *cascade = Button(QStringLiteral("Cascade"), "CascadeButton", tab);
    connect(showAll, &QPushButton::clicked, this, &TWindowDesk::ShowAll);
    connect(hideAll, &QPushButton::clicked, this, &TWindowDesk::HideAll);
    connect(cascade, &QPushButton::clicked, this, &TWindowDesk::Cascade);
    auto *row = new QHBoxLayout;
    row->addWidget(showAll);
    row->addWidget(hideAll);
    row->addWidget(cascade);
    row->addStretch();
    return row;
}

bool TWindowDesk::IsValidDeskName(const QString &name)
{
    constexpr int LongestDeskName = 60;
    if (name.isEmpty() || name != name.trimmed() || name.size() > LongestDeskName)
        return false;
    return std::none_of(name.cbegin(), name.cend(), [](QChar c) {
        return c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control
               || c.category() == QChar::Other_Format || c == QChar::LineSeparator
               || c == QChar::ParagraphSeparator;
    });
}

void TWindowDesk::ShowAll()
{
    for (TAlertForm *window : windows_)
        window->show();
    RefreshList();
}

void TWindowDesk::HideAll()
{
    for (TAlertForm *window : windows_)
        window->hide();
    RefreshList();
}

void TWindowDesk::Cascade()
{
    QPoint corner;
    bool first = true;
    for (TAlertForm *window : windows_) {
        if (window->isHidden())
            continue;
        if (first) {
            const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
            corner = screen->availableGeometry().topLeft();
            first = false;
        }
        window->setWindowState(Qt::WindowNoState);
        window->move(corner);
        window->raise();
        corner += QPoint(CascadeStep, CascadeStep);
    }
    RefreshList();
}

void TWindowDesk::TileBeside(const QWidget *mainWindow, const TAlertForms &newcomers)
{
    const QScreen *screen = QGuiApplication::screenAt(mainWindow->geometry().center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen || newcomers.isEmpty())
        return;
    // Nothing is on screen yet: frames are reckoned, not measured.
    const QMargins frame = ExpectedWindowFrame();
    QVector<QSize> frameSizes;
    for (const TAlertForm *window : newcomers)
        frameSizes.append(window->size().grownBy(frame));
    const QVector<QRect> tiles =
        ::TileBeside(screen->availableGeometry(), mainWindow->geometry().marginsAdded(frame), frameSizes);
    for (int i = 0; i < tiles.size(); ++i)
        newcomers[i]->setGeometry(tiles[i].marginsRemoved(frame));
}

QString TWindowDesk::StateText(const QWidget *window)
{
    if (window->isHidden())
        return QStringLiteral("hidden");
    if (window->windowState() & Qt::WindowMinimized)
        return QStringLiteral("minimised");
    return QStringLiteral("visible");
}

void TWindowDesk::RefreshList()
{
    const int rows = std::min(list_->count(), int(windows_.size()));
    for (int row = 0; row < rows; ++row) {
        const TAlertForm *window = windows_[row];
        const QString text = QStringLiteral("%1  (%2, %3 in the last minute)")
                                 .arg(window->windowTitle(), StateText(window))
                                 .arg(window->AlertsInLastMinute());
        if (list_->item(row)->text() != text)
            list_->item(row)->setText(text);
    }
}

void TWindowDesk::RestoreColumns(const TSettingsStore &store, const QString &section, TGridFrame *grid)
{
    if (grid->ChoosesColumns() && store.Contains(section, ShownColumnsKey)) {
        TColumnLayout layout = grid->ColumnLayout();
        layout.FromSetting(store.ReadString(section, ShownColumnsKey, QString()));
        grid->SetColumnLayout(layout);
    }
    RestoreColumnWidths(store, section, grid);
}

void TWindowDesk::SaveColumns(TSettingsStore &store, const QString &section, const TGridFrame *grid)
{
    const TColumnLayout &layout = grid->ColumnLayout();
    if (grid->ChoosesColumns() && !layout.IsDefault())
        store.WriteString(section, ShownColumnsKey, layout.ToSetting());
    else if (store.Contains(section, ShownColumnsKey))
        store.Remove(section, ShownColumnsKey);
    SaveColumnWidths(store, section, grid);
}

void TWindowDesk::RestoreColumnWidths(const TSettingsStore &store, const QString &section, TGridFrame *grid)
{
    // "column:width" pairs; anything that does not read as one is passed over.
    const QStringList pairs = store.ReadString(section, ColumnWidthsKey, QString()).split(QLatin1Char(','));
    for (const QString &pair : pairs) {
        bool colOk = false;
        bool widthOk = false;
        const int col = pair.section(QLatin1Char(':'), 0, 0).toInt(&colOk);
        const int width = pair.section(QLatin1Char(':'), 1, 1).toInt(&widthOk);
        if (colOk && widthOk && col >= 0 && col < grid->ColCount() && width >= 1 && width <= WidestColumn)
            grid->SetUserColWidth(col, width);
    }
}

void TWindowDesk::SaveColumnWidths(TSettingsStore &store, const QString &section, const TGridFrame *grid)
{
    QStringList pairs;
    for (int col = 0; col < grid->ColCount(); ++col)
        if (grid->UserSizedColumn(col))
            pairs << QStringLiteral("%1:%2").arg(col).arg(grid->ColWidths(col));
    if (!pairs.isEmpty() || store.Contains(section, ColumnWidthsKey))
        store.WriteString(section, ColumnWidthsKey, pairs.join(QLatin1Char(',')));
}
