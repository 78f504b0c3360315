#include "platform/linux/LinuxDesktop.h"

#include "platform/linux/LinuxTray.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QSystemTrayIcon>
#include <QVariantMap>

namespace orvane {

namespace {

constexpr int NotifyReplyMs = 5000;

void showBalloon(const QString &title, const QString &text)
{
    if (QSystemTrayIcon *icon = shownTrayIcon())
        icon->showMessage(title, text, QSystemTrayIcon::Information);
}

} // namespace

void LinuxDesktop::showNotification(const QString &title, const QString &text)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        showBalloon(title, text);
        return;
    }
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // The body may be read as markup: a PC's name is text.
    notify << QStringLiteral("Orvane") << quint32(0) << QStringLiteral("orvane") << title << text.toHtmlEscaped()
           << QStringList() << QVariantMap() << qint32(-1);
    // Asynchronous: the answer, or the lack of a server, comes back through the event loop.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(notify, NotifyReplyMs), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [title, text](QDBusPendingCallWatcher *w) {
        if (w->isError())
            showBalloon(title, text);
        w->deleteLater();
    });
}

} // namespace orvane
