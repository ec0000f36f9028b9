#include "app/platform/Notifier_linux.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace korvane {

NotificationSignals::NotificationSignals(const QDBusConnection& connection, QObject* parent)
    : QDBusAbstractInterface(QString::fromLatin1(FreedesktopNotifier::serviceName),
                             QString::fromLatin1(FreedesktopNotifier::objectPath),
                             FreedesktopNotifier::serviceName, connection, parent) {}

FreedesktopNotifier::FreedesktopNotifier(QDBusConnection connection)
    : connection_(std::move(connection)), signals_(connection_) {
    connect(&signals_, &NotificationSignals::ActionInvoked, this, &FreedesktopNotifier::actionInvoked);
    connect(&signals_, &NotificationSignals::NotificationClosed, this,
            [this](uint id, uint) { shown_.erase(id); });
}

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
    // A click on the notice invokes its default action; the label is for services that show it as a button.
    const QStringList actions{QString::fromLatin1(openAction), QStringLiteral("Open Korvane")};
    // Notify(app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout)
    call << QString::fromLatin1(applicationName) << quint32(0) << id << QString::fromStdString(title)
         << QString::fromStdString(body) << actions << hints << qint32(-1);
    auto* watcher = new QDBusPendingCallWatcher(connection_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
        const QDBusPendingReply<uint> reply = *finished;
        if (reply.isValid()) shown_.insert(reply.value());
        finished->deleteLater();
    });
}

void FreedesktopNotifier::actionInvoked(uint id, const QString& actionKey) {
    // Every program's notices report on the same bus: only our own count.
    if (!shown_.contains(id) || actionKey != QLatin1String(openAction)) return;
    if (opened_) opened_();
}

}  // namespace korvane
