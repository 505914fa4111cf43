#include "client/ui/desktop/TDesktopNotifier.h"

#include "shared/DebugSink.h"
#include "shared/SafeText.h"

#include <QApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QVariantMap>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
// Let the service choose how long the notification stays.
constexpr int ServiceDefaultTimeout = -1;

} // namespace

TDesktopNotifier::TDesktopNotifier(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , bus_(bus)
{
}

TDesktopNotifier::~TDesktopNotifier() = default;

QString TDesktopNotifier::ShownText(const QString &text)
{
    QString shown = VisibleText(text);
    if (shown.size() > MaxLength) {
        // Never cut a character in two.
        const int keep = shown.at(MaxLength - 1).isHighSurrogate() ? MaxLength - 2 : MaxLength - 1;
        shown = shown.left(keep) + QChar(0x2026);
    }
    return shown;
}

QString TDesktopNotifier::ServiceText(const QString &text)
{
    return ShownText(text).toHtmlEscaped();
}

void TDesktopNotifier::Show(const QString &title, const QString &message)
{
    if (bus_.isConnected() && !serviceFailed_)
        ShowThroughService(title, message);
    else
        ShowInTray(title, message);
}

void TDesktopNotifier::ShowThroughService(const QString &title, const QString &message)
{
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Service, QStringLiteral("Notify"));
    call << QStringLiteral("Vadevor Azurev") << uint(0) << QString() << ServiceText(title) << ServiceText(message)
         << QStringList() << QVariantMap() << ServiceDefaultTimeout;
    auto *watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, title, message](QDBusPendingCallWatcher *done) {
        done->deleteLater();
        if (!done->isError())
            return;
        serviceFailed_ = true;
        ShowInTray(title, message);
    });
}

void TDesktopNotifier::ShowInTray(const QString &title, const QString &message)
{
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        if (!reportedNowhere_)
            DebugOutput(QStringLiteral("Class=ENotificationsUnavailable, Message=the desktop has neither a "
                                       "notification service nor a system tray, so no notification is shown, "
                                       "Location=desktop notifications"));
        reportedNowhere_ = true;
        return;
    }
    if (!trayIcon_) {
        QIcon icon = QApplication::windowIcon();
        if (icon.isNull())
            icon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation);
        trayIcon_ = std::make_unique<QSystemTrayIcon>(icon);
        trayIcon_->setToolTip(QStringLiteral("Vadevor Azurev"));
        trayIcon_->show();
    }
    // The balloon's message is plain text. Its title is read as markup only when it
    // holds a "<", and then escaping it shows every character as it is.
    QString shownTitle = ShownText(title);
    if (shownTitle.contains(QLatin1Char('<')))
        shownTitle = shownTitle.toHtmlEscaped();
    trayIcon_->showMessage(shownTitle, ShownText(message), QSystemTrayIcon::Information);
}
