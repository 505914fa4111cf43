#pragma once

#include "client/ui/windows/TAlertForm.h"

#include <QFont>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QFontDialog;
class QLabel;
class QLayout;
class TElidedLabel;
class TExternalLinkingWindow;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class TIniFile;
class TQuickstrikeExcludeForm;
class TRecordReplay;
class TSettingsStore;
class TSparkline;
class TWindowDesk;

// What the main window works with; the program makes each once.
struct TMainFormServices
{
    // Handed to every alert window; the log-in and the status go through its connection.
    TAlertFormServices AlertWindows;
    // KVX.ini: the caption and the alert windows.
    const TIniFile &Ini;
    // Where the window and its alert windows' places, the user name and the font are
    // kept between runs.
    TSettingsStore &Store;
    // Opened by "Configure External Linking".
    TExternalLinkingWindow &ExternalLinking;
};

// The program's first and controlling window: it creates the alert windows KVX.ini asks
// for, carries the log-in controls and the list of alert windows, and remembers the user
// name, the alert font and where every window was between runs. Closing it ends the
// program.
class TMainForm : public QWidget
{
    Q_OBJECT

public:
    explicit TMainForm(const TMainFormServices &services, QWidget *parent = nullptr);
    ~TMainForm() override;

    // The dialog the "Quickstrike Exclude" button opens; it is made after this window.
    void SetQuickstrikeExcludeForm(TQuickstrikeExcludeForm *form) { excludeForm_ = form; }

    const TAlertForms &AlertWindows() const { return alertWindows_; }
    const QFont &AlertFont() const { return alertFont_; }
    // The Record check box and the Replay… button.
    TRecordReplay *RecordReplay() const { return recordReplay_; }

    void LoginButtonClick();
    void ResetConnectionButtonClick();
    void ConfigureExternalLinkingButtonClick();
    // Brings the selected alert window up, restored if it was minimised.
    void AlertWindowsListBoxDblClick();
    void QuickStrikeButtonClick();
    // Lets the user pick the alert font and gives it to every alert window.
    void SetFontButtonClick();

    // Named desks: a named copy of what the next run would restore (the windows' places,
    // states, columns, link groups, Mute and display options, the alert font and the
    // exclude list). Opening one restores it the way a start does. False for a name that
    // is not valid, or names no saved desk.
    bool SaveDesk(const QString &name);
    bool OpenDesk(const QString &name);
    QStringList DeskNames() const;
    // Asks for a name and, for a saved desk's name, before replacing it.
    void SaveDeskAsButtonClick();
    // Opens the desk chosen in the list.
    void OpenDeskButtonClick();

Q_SIGNALS:
    // The user closed the window and everything worth keeping has been written.
    void Closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void BuildControls();
    QWidget *BuildConnectionTab();
    QWidget *BuildWindowsTab();
    QLayout *BuildDeskControls(QWidget *tab);
    void RefreshDeskList();

    void FormCreate();
    void StatusChanged();
    // Keyboard focus in the first empty log-in field; typing goes name, Tab, password.
    void FocusFirstEmptyField();
    void RefreshLinkReadout();
    void CreateAlertWindows(const TIniFile &ini);
    void RestoreAlertFont(const QString &section);
    void SaveAlertFont(const QString &section);
    void RestoreMainPlace();
    // False when the store holds no usable place for the window: it has yet to get one.
    // In the program's own sections, or a named desk's.
    bool RestorePlacement(TAlertForm *window, const QString &desk = QString());
    void SavePlacement(TAlertForm *window, const QString &desk = QString());
    void RestoreExcludeList();
    void SaveExcludeList();
    // Replaces the exclude list with the one kept in the section.
    void ReadExcludeList(const QString &section);
    // Writes what the next run restores and flushes the settings store; once only.
    void FormDestroy();
    TMainConnection &Connection() const { return services_.AlertWindows.Connection; }
    TExcludeList &Excludes() const { return services_.AlertWindows.Excludes; }

    TMainFormServices services_;
    TAlertForms alertWindows_;
    bool saved_ = false;
    QFont alertFont_;
    TQuickstrikeExcludeForm *excludeForm_ = nullptr;

    QTabWidget *pageControl1_ = nullptr;
    TElidedLabel *statusLabel_ = nullptr;
    // Ping time and the age of the last alert; under it the alerts per 10 s over 5
    // minutes and the count of the last minute. Red while no session is connected.
    TElidedLabel *linkReadout_ = nullptr;
    TSparkline *alertSparkline_ = nullptr;
    QLabel *alertRateLabel_ = nullptr;
    QLineEdit *usernameEdit_ = nullptr;
    QLineEdit *passwordEdit_ = nullptr;
    QPushButton *loginButton_ = nullptr;
    QPushButton *resetConnectionButton_ = nullptr;
    QListWidget *alertWindowsListBox_ = nullptr;
    QPushButton *configureExternalLinkingButton_ = nullptr;
    QPushButton *setFontButton_ = nullptr;
    QPushButton *quickStrikeExcludeButton_ = nullptr;
    // Off unless the user turns it on: the exclude list is then kept between runs.
    QCheckBox *keepExcludeListCheckBox_ = nullptr;
    QFontDialog *fontDialog1_ = nullptr;
    TWindowDesk *desk_ = nullptr;
    QComboBox *deskList_ = nullptr;
    TRecordReplay *recordReplay_ = nullptr;
    TSubscription statusSubscription_;
};
