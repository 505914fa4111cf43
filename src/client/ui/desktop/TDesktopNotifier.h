#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <memory>

class QSystemTrayIcon;

// Shows notifications on the desktop: through the desktop's notification service
// (org.freedesktop.Notifications), or, where the bus has none or it fails, as a
// balloon of the system tray. Where neither exists the debug window says so once,
// so that "notify" never goes quiet unexplained. Titles and messages carry server
// text, so both are shown as text: invisible, control and bidi characters drawn as
// U+FFFD, at most MaxLength characters, and markup escaped where the receiver reads
// markup.
class TDesktopNotifier : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxLength = 200;

    // bus: where the notification service is asked; a bus that is not connected
    // sends every notification to the tray.
    explicit TDesktopNotifier(const QDBusConnection &bus, QObject *parent = nullptr);
    ~TDesktopNotifier() override;

    // Returns at once; the service answers later, and a failure then shows the
    // notification in the tray instead.
    void Show(const QString &title, const QString &message);

    // The text as the notification service gets it: drawn visibly, capped and
    // HTML-escaped (the service may read markup in both parts).
    static QString ServiceText(const QString &text);
    // Drawn visibly and capped, but not escaped.
    static QString ShownText(const QString &text);

private:
    void ShowThroughService(const QString &title, const QString &message);
    void ShowInTray(const QString &title, const QString &message);

    QDBusConnection bus_;
    // Set once the service failed: later notifications go straight to the tray.
    bool serviceFailed_ = false;
    bool reportedNowhere_ = false;
    std::unique_ptr<QSystemTrayIcon> trayIcon_;
};
