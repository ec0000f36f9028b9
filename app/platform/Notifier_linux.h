#pragma once

#include <QDBusConnection>

#include "app/platform/ApplicationInfo.h"
#include "app/platform/Notifier.h"

namespace korvane {

// Notifications through the freedesktop.org notification service
// (org.freedesktop.Notifications) on the session bus.
class FreedesktopNotifier final : public Notifier {
public:
    static constexpr const char* serviceName = "org.freedesktop.Notifications";
    static constexpr const char* objectPath = "/org/freedesktop/Notifications";
    static constexpr const char* applicationName = applicationInfo::name;

    explicit FreedesktopNotifier(QDBusConnection connection = QDBusConnection::sessionBus());

    // The service runs on the bus or the bus can start it.
    bool canPost() const override;
    // Sent without waiting for the answer, so a slow service never holds
    // the window.
    void post(const std::string& title, const std::string& body) override;

private:
    QDBusConnection connection_;
};

}  // namespace korvane
