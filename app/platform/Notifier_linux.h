#pragma once

#include <QDBusAbstractInterface>
#include <QDBusConnection>
#include <QObject>
#include <functional>
#include <set>

#include "app/platform/ApplicationInfo.h"
#include "app/platform/Notifier.h"

namespace korvane {

// The notification service's signals as Qt signals: the interface relays
// each D-Bus signal to the Qt signal of the same name and arguments.
class NotificationSignals : public QDBusAbstractInterface {
    Q_OBJECT
public:
    NotificationSignals(const QDBusConnection& connection, QObject* parent = nullptr);

signals:
    void ActionInvoked(uint id, const QString& actionKey);
    void NotificationClosed(uint id, uint reason);
};

// Notifications through the freedesktop.org notification service
// (org.freedesktop.Notifications) on the session bus. Each carries the
// default action, so that a click on it reaches the open handler.
class FreedesktopNotifier final : public QObject, public Notifier {
    Q_OBJECT
public:
    static constexpr const char* serviceName = "org.freedesktop.Notifications";
    static constexpr const char* objectPath = "/org/freedesktop/Notifications";
    static constexpr const char* applicationName = applicationInfo::name;
    static constexpr const char* openAction = "default";

    explicit FreedesktopNotifier(QDBusConnection connection = QDBusConnection::sessionBus());

    // The service runs on the bus or the bus can start it.
    bool canPost() const override;
    // Sent without waiting for the answer, so a slow service never holds
    // the window; the answer's id is kept to know the notice's click.
    void post(const std::string& title, const std::string& body) override;
    void setOpenHandler(std::function<void()> opened) override { opened_ = std::move(opened); }

private:
    void actionInvoked(uint id, const QString& actionKey);

    QDBusConnection connection_;
    NotificationSignals signals_;
    // The ids the service gave this program's notices still on show.
    std::set<uint> shown_;
    std::function<void()> opened_;
};

}  // namespace korvane
