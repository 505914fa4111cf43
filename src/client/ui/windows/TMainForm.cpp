#include "client/ui/windows/TMainForm.h"

#include "AzurevVersion.h"
#include "client/core/TExcludeList.h"
#include "client/core/TMainConnection.h"
#include "client/core/TSettingsStore.h"
#include "client/ui/desktop/MonitorFit.h"
#include "client/ui/widgets/DefaultButton.h"
#include "client/ui/widgets/TElidedLabel.h"
#include "client/ui/widgets/TSparkline.h"
#include "client/ui/windows/PaintLagReadout.h"
#include "client/ui/windows/TDisplayOptionsMenu.h"
#include "client/ui/windows/TExternalLinkingWindow.h"
#include "client/ui/windows/TLinkGroupChooser.h"
#include "client/ui/windows/TQuickstrikeExcludeForm.h"
#include "client/ui/windows/TRecordReplay.h"
#include "client/ui/windows/TWindowDesk.h"
#include "shared/AlertWindowCount.h"
#include "shared/TIniFile.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QGuiApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

const QString ProgramVersion = QStringLiteral(" " AZUREV_VERSION);
const QString MainSection = QStringLiteral("Main");
const QString KeepExcludeListName = QStringLiteral("KeepExcludeList");
// The kept symbols, a list.
const QString ExcludeListName = QStringLiteral("ExcludeList");
const QString MuteName = QStringLiteral("Mute");
const QString LinkGroupKey = QStringLiteral("LinkGroup");

// How the settings store numbers a window's state.
enum TStoredWindowState { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };

qint32 StoredWindowState(Qt::WindowStates state)
{
    if (state & Qt::WindowMinimized)
        return wsMinimized;
    if (state & Qt::WindowMaximized)
        return wsMaximized;
    return wsNormal;
}

Qt::WindowStates WindowStateFromStore(qint32 stored)
{
    switch (stored) {
    case wsMinimized:
        return Qt::WindowMinimized;
    case wsMaximized:
        return Qt::WindowMaximized;
    default:
        return Qt::WindowNoState;
    }
}

// A named desk keeps a copy of the windows' sections and the main section's desk keys
// below a section of its own.
QString DeskSection(const QString &desk)
{
    return QStringLiteral("Desk:") + desk;
}

const QString DesksName = QStringLiteral("Desks");

// Under a desk's section, or the program's own when the desk is empty.
QString PlacementSection(const TAlertForm *window, const QString &desk = QString())
{
    const QString own = QStringLiteral("Window:") + window->PlacementName();
    return desk.isEmpty() ? own : DeskSection(desk) + QLatin1Char('/') + own;
}

QString DeskMainSection(const QString &desk)
{
    return DeskSection(desk) + QLatin1Char('/') + MainSection;
}

// Fonts set in pixels have no point size of their own; the store keeps points.
int PointSizeOf(const QFont &font)
{
    return font.pointSize() > 0 ? font.pointSize() : QFontInfo(font).pointSize();
}

// Larger fonts than this are a damaged store, not a choice; measuring grids in them
// would take the program down.
constexpr qint32 LargestFontSize = 500;

// Each kept symbol is one sorted insertion; a damaged store listing millions of
// them would hold up the start for minutes. No trader excludes this many.
constexpr int MostKeptExcludes = 10000;

// No desktop reaches this far from its origin; a stored rectangle that does is damaged.
constexpr qint64 FarthestPixel = 100000;

// Checked in 64 bits before a QRect is made, whose own arithmetic would overflow.
bool IsPlausibleRectangle(qint64 left, qint64 top, qint64 width, qint64 height)
{
    return width > 0 && height > 0 && left >= -FarthestPixel && top >= -FarthestPixel
           && left + width <= FarthestPixel && top + height <= FarthestPixel;
}

// The readout's parts ("ping 3 ms", "last alert 0 s ago", "paint lag 12 ms") with
// no-break spaces inside them, so that a line wraps between parts, never inside one.
QString KeptInParts(const QString &readout)
{
    const QString separator = QStringLiteral(", ");
    QStringList parts = readout.split(separator);
    for (QString &part : parts)
        part.replace(QLatin1Char(' '), QChar(QChar::Nbsp));
    return parts.join(separator);
}

} // namespace

TMainForm::TMainForm(const TMainFormServices &services, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , services_(services)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Vadevor Azurev"));
    BuildControls();
    // Wide enough for the longest status the connection makes (a TLS refusal with its
    // countdown) in three lines. The place comes from the store, or on a first run from
    // the screen.
    resize(340, 267);
    FormCreate();
}

TMainForm::~TMainForm()
{
    FormDestroy();
}

void TMainForm::BuildControls()
{
    pageControl1_ = new QTabWidget(this);
    pageControl1_->setObjectName(QStringLiteral("PageControl1"));
    pageControl1_->addTab(BuildConnectionTab(), QStringLiteral("Connection"));
    pageControl1_->addTab(BuildWindowsTab(), QStringLiteral("Windows"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pageControl1_);

    // The alert font chooser; it starts from the alert font at every opening.
    fontDialog1_ = new QFontDialog(this);
    fontDialog1_->setObjectName(QStringLiteral("FontDialog1"));
}

QWidget *TMainForm::BuildConnectionTab()
{
    auto *tab = new QWidget;
    tab->setObjectName(QStringLiteral("Connection"));

    // Three lines hold a server's whole reason at the window's first size.
    statusLabel_ = new TElidedLabel(3, tab);
    statusLabel_->setObjectName(QStringLiteral("StatusLabel"));
    // Two lines, never wider than the window: with its paint lag the readout is longer
    // than the window's first width, and a label asking for all of it would widen the
    // window over the alert windows tiled beside it.
    linkReadout_ = new TElidedLabel(2, tab);
    linkReadout_->setObjectName(QStringLiteral("LinkReadout"));
    alertSparkline_ = new TSparkline(tab);
    alertSparkline_->setObjectName(QStringLiteral("AlertSparkline"));
    alertSparkline_->setToolTip(QStringLiteral("Alerts per 10 seconds over the last 5 minutes"));
    alertRateLabel_ = new QLabel(tab);
    alertRateLabel_->setObjectName(QStringLiteral("AlertRateLabel"));
    // The age of the last alert moves on without any news from the connection.
    auto *readoutTimer = new QTimer(tab);
    readoutTimer->setInterval(1000);
    connect(readoutTimer, &QTimer::timeout, this, &TMainForm::RefreshLinkReadout);
    readoutTimer->start();
    usernameEdit_ = new QLineEdit(tab);
    usernameEdit_->setObjectName(QStringLiteral("UsernameEdit"));
    passwordEdit_ = new QLineEdit(tab);
    passwordEdit_->setObjectName(QStringLiteral("PasswordEdit"));
    passwordEdit_->setEchoMode(QLineEdit::Password);

    loginButton_ = new QPushButton(QStringLiteral("Login"), tab);
    loginButton_->setObjectName(QStringLiteral("LoginButton"));
    loginButton_->setDefault(true);
    resetConnectionButton_ = new QPushButton(QStringLiteral("Reset Connection"), tab);
    resetConnectionButton_->setObjectName(QStringLiteral("ResetConnectionButton"));
    connect(loginButton_, &QPushButton::clicked, this, &TMainForm::LoginButtonClick);
    connect(resetConnectionButton_, &QPushButton::clicked, this, &TMainForm::ResetConnectionButtonClick);

    // The status starts right after its caption, not in the column of the longer
    // captions below: a server's reason needs every pixel of its three lines.
    auto *statusRow = new QHBoxLayout;
    statusRow->addWidget(new QLabel(QStringLiteral("Status:"), tab), 0, Qt::AlignTop);
    statusRow->addWidget(statusLabel_, 1);

    auto *fields = new QGridLayout;
    // The readout has rows of its own: beside the status it left the status too
    // little room at the window's first size.
    fields->addWidget(linkReadout_, 0, 1);
    auto *rateRow = new QHBoxLayout;
    rateRow->addWidget(alertSparkline_);
    rateRow->addWidget(alertRateLabel_);
    rateRow->addStretch();
    fields->addLayout(rateRow, 1, 1);
    fields->addWidget(new QLabel(QStringLiteral("Username:"), tab), 2, 0);
    fields->addWidget(usernameEdit_, 2, 1);
    fields->addWidget(new QLabel(QStringLiteral("Password:"), tab), 3, 0);
    fields->addWidget(passwordEdit_, 3, 1);
    fields->setColumnStretch(1, 1);

    // Set apart from the order of creation, so a later control cannot slip in between.
    setTabOrder(usernameEdit_, passwordEdit_);
    setTabOrder(passwordEdit_, loginButton_);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(loginButton_);
    buttons->addWidget(resetConnectionButton_);
    buttons->addStretch();

    auto *layout = new QVBoxLayout(tab);
    layout->addLayout(statusRow);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    recordReplay_ = new TRecordReplay(Connection(), services_.Store, this);
    layout->addLayout(recordReplay_->MakeControls(tab));
    layout->addStretch();
    return tab;
}

QWidget *TMainForm::BuildWindowsTab()
{
    auto *tab = new QWidget;
    tab->setObjectName(QStringLiteral("Windows"));

    auto *hint = new QLabel(QStringLiteral("Double click on a window's name to make it visible."), tab);
    hint->setWordWrap(true);
    alertWindowsListBox_ = new QListWidget(tab);
    alertWindowsListBox_->setObjectName(QStringLiteral("AlertWindowsListBox"));
    alertWindowsListBox_->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(alertWindowsListBox_, &QListWidget::doubleClicked, this, &TMainForm::AlertWindowsListBoxDblClick);
    // Three names at the least leave the desk row room within the window's first size.
    alertWindowsListBox_->setMinimumHeight(alertWindowsListBox_->fontMetrics().height() * 3
                                           + 2 * alertWindowsListBox_->frameWidth());

    configureExternalLinkingButton_ = new QPushButton(QStringLiteral("Configure External Linking"), tab);
    configureExternalLinkingButton_->setObjectName(QStringLiteral("ConfigureExternalLinkingButton"));
    setFontButton_ = new QPushButton(QStringLiteral("Font"), tab);
    setFontButton_->setObjectName(QStringLiteral("SetFontButton"));
    quickStrikeExcludeButton_ = new QPushButton(QStringLiteral("Quickstrike Exclude"), tab);
    quickStrikeExcludeButton_->setObjectName(QStringLiteral("QuickStrikeExcludeButton"));
    quickStrikeExcludeButton_->setVisible(false);
    connect(configureExternalLinkingButton_, &QPushButton::clicked, this,
            &TMainForm::ConfigureExternalLinkingButtonClick);
    connect(setFontButton_, &QPushButton::clicked, this, &TMainForm::SetFontButtonClick);
    connect(quickStrikeExcludeButton_, &QPushButton::clicked, this, &TMainForm::QuickStrikeButtonClick);
    keepExcludeListCheckBox_ = new QCheckBox(QStringLiteral("Keep the exclude list between runs"), tab);
    keepExcludeListCheckBox_->setObjectName(QStringLiteral("KeepExcludeListCheckBox"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(configureExternalLinkingButton_);
    buttons->addWidget(setFontButton_);
    buttons->addStretch();
    // A row of its own, so the window keeps its width when the button shows.
    auto *excludeButtons = new QHBoxLayout;
    excludeButtons->addWidget(quickStrikeExcludeButton_);
    excludeButtons->addStretch();

    desk_ = new TWindowDesk(alertWindows_, alertWindowsListBox_, this);
    auto *layout = new QVBoxLayout(tab);
    layout->addWidget(hint);
    layout->addWidget(alertWindowsListBox_, 1);
    layout->addLayout(desk_->MakeButtons(tab));
    layout->addLayout(buttons);
    layout->addLayout(excludeButtons);
    layout->addWidget(keepExcludeListCheckBox_);
    layout->addLayout(BuildDeskControls(tab));
    return tab;
}

QLayout *TMainForm::BuildDeskControls(QWidget *tab)
{
    // One row, so the window keeps its first size.
    deskList_ = new QComboBox(tab);
    deskList_->setObjectName(QStringLiteral("DeskList"));
    deskList_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    deskList_->setMinimumContentsLength(6);
    auto *openDesk = new QPushButton(QStringLiteral("Open Desk"), tab);
    openDesk->setObjectName(QStringLiteral("OpenDeskButton"));
    auto *saveDesk = new QPushButton(QStringLiteral("Save Desk As\u2026"), tab);
    saveDesk->setObjectName(QStringLiteral("SaveDeskAsButton"));
    connect(openDesk, &QPushButton::clicked, this, &TMainForm::OpenDeskButtonClick);
    connect(saveDesk, &QPushButton::clicked, this, &TMainForm::SaveDeskAsButtonClick);
    auto *row = new QHBoxLayout;
    row->addWidget(deskList_, 1);
    row->addWidget(openDesk);
    row->addWidget(saveDesk);
    return row;
}

void TMainForm::FormCreate()
{
    statusSubscription_ = Connection().SubscribeStatus([this] { StatusChanged(); });
    StatusChanged();

    usernameEdit_->setText(services_.Store.ReadString(MainSection, QStringLiteral("User"), QString()));
    RestoreAlertFont(MainSection);
    RestoreExcludeList();
    recordReplay_->Restore();

    const TIniFile &ini = services_.Ini;
    const QString caption = ini.ReadText("General", "title", windowTitle()) + ProgramVersion;
    // The task bar shows this caption. The application display name stays unset:
    // Qt would append it to every alert window's title, which must be its own.
    setWindowTitle(caption);

    CreateAlertWindows(ini);
    // An exclusion can always be undone: the editor is there whenever a QuickStrike
    // window's menu can exclude a symbol or symbols were kept from an earlier run.
    const auto isQuickStrike = [](const TAlertForm *window) { return window->Kind().UsesExcludeList(); };
    const bool quickStrikeWindow = std::any_of(alertWindows_.cbegin(), alertWindows_.cend(), isQuickStrike);
    quickStrikeExcludeButton_->setVisible(ini.ReadString("General", "exclude list", "0") == "1" || quickStrikeWindow
                                          || Excludes().Count() > 0);

    RestoreMainPlace();
    TAlertForms unplaced;
    for (TAlertForm *window : qAsConst(alertWindows_))
        if (!RestorePlacement(window))
            unplaced.append(window);
    TWindowDesk::TileBeside(this, unplaced);
    desk_->RefreshList();
    RefreshDeskList();
    FocusFirstEmptyField();
}

void TMainForm::FocusFirstEmptyField()
{
    (usernameEdit_->text().isEmpty() ? usernameEdit_ : passwordEdit_)->setFocus();
}

void TMainForm::StatusChanged()
{
    statusLabel_->SetFullText(Connection().Status());
    RefreshLinkReadout();
}

void TMainForm::RefreshLinkReadout()
{
    const TMainConnection &connection = Connection();
    linkReadout_->SetFullText(KeptInParts(WithPaintLag(connection.LinkReadout(), services_.AlertWindows.PaintLag)));
    const TSteadyMs now = SteadyNowMs();
    alertSparkline_->SetValues(connection.AlertRate().Buckets(now));
    const int perMinute = connection.AlertRate().InLastMinute(now);
    alertRateLabel_->setText(perMinute == 1 ? QStringLiteral("1 alert/min")
                                            : QStringLiteral("%1 alerts/min").arg(QLocale().toString(perMinute)));
    QPalette colours = palette();
    if (!connection.Connected())
        colours.setColor(QPalette::WindowText, Qt::red);
    for (QWidget *part : {static_cast<QWidget *>(linkReadout_), static_cast<QWidget *>(alertSparkline_),
                          static_cast<QWidget *>(alertRateLabel_)})
        part->setPalette(colours);
}

void TMainForm::RestoreAlertFont(const QString &section)
{
    alertFont_ = font();
    alertFont_.setFamily(services_.Store.ReadString(section, QStringLiteral("FontName"), font().family()));
    // A size that is not positive names no font; the window's own size stays then.
    const qint32 fontSize = services_.Store.ReadInteger(section, QStringLiteral("FontSize"), PointSizeOf(font()));
    if (fontSize > 0)
        alertFont_.setPointSize(std::min(fontSize, LargestFontSize));
}

void TMainForm::SaveAlertFont(const QString &section)
{
    services_.Store.WriteString(section, QStringLiteral("FontName"), alertFont_.family());
    services_.Store.WriteInteger(section, QStringLiteral("FontSize"), PointSizeOf(alertFont_));
}

void TMainForm::CreateAlertWindows(const TIniFile &ini)
{
    const int count = ReadAlertWindowCount(ini);
    for (int n = 0; n < count; ++n) {
        // Alert windows have no owner: they live until the process ends.
        auto *window = new TAlertForm(services_.AlertWindows);
        window->setFont(alertFont_);
        window->LoadConfiguration(ini, "Alert Window " + QByteArray::number(n));
        alertWindows_.append(window);
        alertWindowsListBox_->addItem(window->windowTitle());
        Connection().AddCategory(window->Subscription());
    }
}

// The client area is saved and restored: the frame's size is not known before the window
// manager has framed the window, and mixing the two moved the window by the title bar's
// height at every start.
void TMainForm::RestoreMainPlace()
{
    const TSettingsStore &store = services_.Store;
    const QRect current = geometry();
    const qint32 width = store.ReadInteger(MainSection, QStringLiteral("Width"), current.width());
    const qint32 height = store.ReadInteger(MainSection, QStringLiteral("Height"), current.height());
    const qint32 left = store.ReadInteger(MainSection, QStringLiteral("Left"), current.left());
    const qint32 top = store.ReadInteger(MainSection, QStringLiteral("Top"), current.top());
    const bool placed =
        store.Contains(MainSection, QStringLiteral("Left")) || store.Contains(MainSection, QStringLiteral("Top"));
    // A first run, or a damaged place, starts in the top-left corner of the screen, which
    // leaves the most room beside it for the alert windows. The rectangle is made only
    // from plausible numbers: a damaged store's extremes would overflow its corners.
    const bool plausible = IsPlausibleRectangle(left, top, width, height);
    QRect place = plausible ? QRect(left, top, width, height) : current;
    if (!placed || !plausible) {
        place.setSize(current.size());
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            const QMargins frame = ExpectedWindowFrame();
            place.moveTopLeft(screen->availableGeometry().topLeft() + QPoint(frame.left(), frame.top()));
        }
    }
    setGeometry(QRect(FitOntoScreens(place), place.size()));
}

bool TMainForm::RestorePlacement(TAlertForm *window, const QString &desk)
{
    const QString section = PlacementSection(window, desk);
    const TSettingsStore &store = services_.Store;
    const QRect current = window->geometry();
    const qint32 width = store.ReadInteger(section, QStringLiteral("Width"), current.width());
    const qint32 height = store.ReadInteger(section, QStringLiteral("Height"), current.height());
    const qint32 left = store.ReadInteger(section, QStringLiteral("Left"), current.left());
    const qint32 top = store.ReadInteger(section, QStringLiteral("Top"), current.top());
    TWindowDesk::RestoreColumns(store, section, window->Grid());
    // A damaged rectangle is ignored whole: the window keeps its size and gets a place.
    bool placed = false;
    if (IsPlausibleRectangle(left, top, width, height)) {
        const QSize size(width, height);
        window->resize(size);
        // A remembered position is pulled back onto a monitor if needed.
        placed = store.Contains(section, QStringLiteral("Left")) || store.Contains(section, QStringLiteral("Top"));
        if (placed)
            window->setGeometry(QRect(FitOntoScreens(QRect(QPoint(left, top), size)), size));
    }

    // The state goes first so that a minimised window appears minimised straight away.
    const qint32 state = store.ReadInteger(section, QStringLiteral("State"), StoredWindowState(window->windowState()));
    window->setWindowState(WindowStateFromStore(state));
    window->setVisible(store.ReadBool(section, QStringLiteral("Visible"), window->isVisible()));
    window->SetMuted(store.ReadBool(section, MuteName, false));
    window->LinkGroup()->SetGroup(store.ReadInteger(section, LinkGroupKey, FirstLinkGroup));
    window->DisplayOptions()->Restore(store, section);
    return placed;
}

void TMainForm::SavePlacement(TAlertForm *window, const QString &desk)
{
    const QString section = PlacementSection(window, desk);
    TSettingsStore &store = services_.Store;
    // The restored rectangle, also while the window is minimised or maximised.
    QRect normal = window->normalGeometry();
    if (!normal.isValid())
        normal = window->geometry();
    store.WriteInteger(section, QStringLiteral("Width"), normal.width());
    store.WriteInteger(section, QStringLiteral("Height"), normal.height());
    // Only a window that has been on screen has a position worth keeping; one never shown
    // keeps the place it had in the store, or gets a fresh one beside the main window.
    if (window->windowHandle()) {
        store.WriteInteger(section, QStringLiteral("Left"), normal.left());
        store.WriteInteger(section, QStringLiteral("Top"), normal.top());
    }
    store.WriteInteger(section, QStringLiteral("State"), StoredWindowState(window->windowState()));
    store.WriteBool(section, QStringLiteral("Visible"), window->isVisible());
    TWindowDesk::SaveColumns(store, section, window->Grid());
    // A window never muted leaves no trace in the store.
    if (window->Muted() || store.Contains(section, MuteName))
        store.WriteBool(section, MuteName, window->Muted());
    // Nor does a window that never left group 1.
    const int group = window->LinkGroup()->Group();
    if (group != FirstLinkGroup || store.Contains(section, LinkGroupKey))
        store.WriteInteger(section, LinkGroupKey, group);
    window->DisplayOptions()->Save(store, section);
}

void TMainForm::RestoreExcludeList()
{
    const bool keep = services_.Store.ReadBool(MainSection, KeepExcludeListName, false);
    keepExcludeListCheckBox_->setChecked(keep);
    if (!keep)
        return;
    // Earlier versions kept the symbols as one text, one per line. The list refuses
    // line breaks in a symbol, so splitting every entry reads either form.
    QStringList symbols;
    for (const QString &entry : services_.Store.ReadStringList(MainSection, ExcludeListName))
        symbols += entry.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &symbol : symbols.mid(0, MostKeptExcludes))
        Excludes().Add(symbol);
}

void TMainForm::ReadExcludeList(const QString &section)
{
    Excludes().Clear();
    const QStringList symbols = services_.Store.ReadStringList(section, ExcludeListName);
    for (const QString &symbol : symbols.mid(0, MostKeptExcludes))
        Excludes().Add(symbol);
}

void TMainForm::SaveExcludeList()
{
    const bool keep = keepExcludeListCheckBox_->isChecked();
    // Turned off, the option forgets the kept symbols; never turned on, it writes nothing.
    if (!keep && !services_.Store.Contains(MainSection, KeepExcludeListName))
        return;
    services_.Store.WriteBool(MainSection, KeepExcludeListName, keep);
    if (keep)
        services_.Store.WriteStringList(MainSection, ExcludeListName, Excludes().Items());
    else
        services_.Store.Remove(MainSection, ExcludeListName);
}

void TMainForm::FormDestroy()
{
    if (std::exchange(saved_, true))
        return;
    // However the writing ends, what was written goes out to the store's file.
    const auto flushStore = qScopeGuard([this] { services_.Store.Flush(); });

    for (TAlertForm *window : qAsConst(alertWindows_))
        SavePlacement(window);
    SaveExcludeList();
    recordReplay_->Save();
    services_.Store.WriteString(MainSection, QStringLiteral("User"), usernameEdit_->text());
    SaveAlertFont(MainSection);
    // The restored rectangle, also while the window is minimised or maximised.
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    services_.Store.WriteInteger(MainSection, QStringLiteral("Left"), normal.left());
    services_.Store.WriteInteger(MainSection, QStringLiteral("Top"), normal.top());
    services_.Store.WriteInteger(MainSection, QStringLiteral("Width"), normal.width());
    services_.Store.WriteInteger(MainSection, QStringLiteral("Height"), normal.height());
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    // Written while every window is still as the user left it.
    FormDestroy();
    event->accept();
    Q_EMIT Closed();
}

void TMainForm::keyPressEvent(QKeyEvent *event)
{
    if (!PressDefaultButton(event, focusWidget(), loginButton_))
        QWidget::keyPressEvent(event);
}

void TMainForm::LoginButtonClick()
{
    // A log-in without a name or a password could only fail; the user hears why at once.
    for (QLineEdit *field : {usernameEdit_, passwordEdit_}) {
        if (field->text().isEmpty()) {
            statusLabel_->SetFullText(field == usernameEdit_ ? QStringLiteral("Type your user name.")
                                                             : QStringLiteral("Type your password."));
            field->setFocus();
            return;
        }
    }
    // The hint goes, also when the log-in below changes nothing.
    StatusChanged();
    // The windows go back to the live alerts.
    Connection().Replay().Stop();
    // The connection starts one new log-in when either value changed.
    TMainConnection &connection = Connection();
    connection.SetUsername(usernameEdit_->text().toUtf8());
    connection.SetPassword(passwordEdit_->text().toUtf8());
}

void TMainForm::ResetConnectionButtonClick()
{
    Connection().ResetConnection();
}

void TMainForm::ConfigureExternalLinkingButtonClick()
{
    services_.ExternalLinking.ShowRestored();
}

void TMainForm::AlertWindowsListBoxDblClick()
{
    const QListWidgetItem *item = alertWindowsListBox_->currentItem();
    const int index = alertWindowsListBox_->currentRow();
    if (!item || !item->isSelected() || index < 0 || index >= alertWindows_.size())
        return;
    TAlertForm *window = alertWindows_[index];
    if (window->windowState() & Qt::WindowMinimized)
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
}

void TMainForm::QuickStrikeButtonClick()
{
    if (excludeForm_)
        excludeForm_->EditCycle();
}

QStringList TMainForm::DeskNames() const
{
    QStringList names;
    for (const QString &name : services_.Store.ReadStringList(MainSection, DesksName))
        if (TWindowDesk::IsValidDeskName(name) && !names.contains(name))
            names.append(name);
    return names;
}

void TMainForm::RefreshDeskList()
{
    deskList_->clear();
    // Plain entries: a name shows as the text it is.
    deskList_->addItems(DeskNames());
}

bool TMainForm::SaveDesk(const QString &name)
{
    if (!TWindowDesk::IsValidDeskName(name))
        return false;
    TSettingsStore &store = services_.Store;
    // An overwritten desk keeps nothing of the one it replaces.
    store.RemoveSection(DeskSection(name));
    for (TAlertForm *window : qAsConst(alertWindows_))
        SavePlacement(window, name);
    const QString main = DeskMainSection(name);
    SaveAlertFont(main);
    store.WriteStringList(main, ExcludeListName, Excludes().Items());
    QStringList names = DeskNames();
    if (!names.contains(name))
        store.WriteStringList(MainSection, DesksName, names << name);
    store.Flush();
    RefreshDeskList();
    return true;
}

bool TMainForm::OpenDesk(const QString &name)
{
    if (!DeskNames().contains(name))
        return false;
    RestoreAlertFont(DeskMainSection(name));
    ReadExcludeList(DeskMainSection(name));
    for (TAlertForm *window : qAsConst(alertWindows_)) {
        window->setFont(alertFont_);
        RestorePlacement(window, name);
    }
    desk_->RefreshList();
    return true;
}

void TMainForm::SaveDeskAsButtonClick()
{
    bool accepted = false;
    const QString name =
        QInputDialog::getText(this, QStringLiteral("Save Desk As"), QStringLiteral("Name of the desk:"),
                              QLineEdit::Normal, QString(), &accepted)
            .trimmed();
    if (!accepted)
        return;
    if (!TWindowDesk::IsValidDeskName(name)) {
        QMessageBox::warning(this, QStringLiteral("Save Desk As"),
                             QStringLiteral("A desk's name has 1 to 60 characters, without / or \\."));
        return;
    }
    if (DeskNames().contains(name)
        && QMessageBox::question(this, QStringLiteral("Save Desk As"),
                                 QStringLiteral("Replace the saved desk of this name?"))
               != QMessageBox::Yes)
        return;
    if (SaveDesk(name))
        deskList_->setCurrentText(name);
}

void TMainForm::OpenDeskButtonClick()
{
    if (deskList_->currentIndex() >= 0)
        OpenDesk(deskList_->currentText());
}

void TMainForm::SetFontButtonClick()
{
    fontDialog1_->setCurrentFont(alertFont_);
    if (fontDialog1_->exec() != QDialog::Accepted)
        return;
    // Only the alert windows take the new font; this window keeps its own.
    alertFont_ = fontDialog1_->selectedFont();
    for (TAlertForm *window : qAsConst(alertWindows_))
        window->setFont(alertFont_);
}
