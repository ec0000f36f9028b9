#include "app/platform/Notifier_linux.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace korvane {

FreedesktopNotifier::FreedesktopNotifier(QDBusConnection connection) : connection_(std::move(connection)) {}

bool FreedesktopNotifier::canPost() const {
    if (!connection_.isConnected()) return false;
    QDBusConnectionInterface* bus = connection_.interface();
    if (bus == nullptr) return false;
    const QString name = QString::fromLatin1(serviceName);
    const QDBusReply<bool> running = bus->isServiceRegistered(name);
    if (running.isValid() && running.value()) return true;
    const QDBusReply<QStringList> startable = bus->activatableServiceNames();
    return startable.isValid() && startable.value().contains(name);
}

void FreedesktopNotifier::post(const std::string& title, const std::string& body) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(serviceName), QString::fromLatin1(objectPath),
                                       QString::fromLatin1(serviceName), QStringLiteral("Notify"));
    // The icon and the entry by the application id: the desktop shows the notice as Korvane's.
    const QString id = QString::fromLatin1(applicationInfo::id);
    const QVariantMap hints{{QStringLiteral("desktop-entry"), id}};
    // Notify(app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout)
    call << QString::fromLatin1(applicationName) << quint32(0) << id << QString::fromStdString(title)
         << QString::fromStdString(body) << QStringList() << hints << qint32(-1);
    connection_.send(call);
}

}  // namespace korvane
