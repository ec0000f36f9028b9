#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QStandardPaths>

#include "app/platform/Notifier_linux.h"
#include "tests/app/state/AppStateHarness.h"

namespace korvane {
namespace {

// Stands in for the desktop's notification service and keeps every call.
class RecordingService final : public QDBusVirtualObject {
public:
    std::vector<QDBusMessage> calls;

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        calls.push_back(message);
        connection.send(message.createReply(QVariant::fromValue(quint32(1))));
        return true;
    }
    QString introspect(const QString&) const override { return {}; }
};

// A session bus of our own, so the test neither needs nor disturbs the desktop's.
class PrivateBus {
public:
    PrivateBus() {
        daemon_.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address"});
        if (daemon_.waitForStarted() && daemon_.waitForReadyRead(5000))
            address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus() {
        daemon_.kill();
        daemon_.waitForFinished();
    }
    QDBusConnection connect(const QString& name) { return QDBusConnection::connectToBus(address_, name); }
    bool isRunning() const { return !address_.isEmpty(); }

private:
    QProcess daemon_;
    QString address_;
};

TEST(FreedesktopNotifier, PostsThroughTheServiceOnlyWhenItAnswers) {
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    PrivateBus bus;
    ASSERT_TRUE(bus.isRunning());
    {
        QDBusConnection serviceSide = bus.connect(QStringLiteral("service"));
        QDBusConnection appSide = bus.connect(QStringLiteral("app"));
        FreedesktopNotifier notifier(appSide);
        EXPECT_FALSE(notifier.canPost());

        RecordingService service;
        ASSERT_TRUE(serviceSide.registerVirtualObject(QString::fromLatin1(FreedesktopNotifier::objectPath),
                                                      &service));
        ASSERT_TRUE(serviceSide.registerService(QString::fromLatin1(FreedesktopNotifier::serviceName)));
        EXPECT_TRUE(notifier.canPost());

        notifier.post("Only 3 GB free", "Korvane can reclaim <b>1 GB</b> & more.");
        ASSERT_TRUE(testing::waitUntil([&] { return !service.calls.empty(); }));
        const QDBusMessage& call = service.calls.front();
        EXPECT_EQ(call.member(), QStringLiteral("Notify"));
        EXPECT_EQ(call.interface(), QStringLiteral("org.freedesktop.Notifications"));
        const QList<QVariant> arguments = call.arguments();
        ASSERT_EQ(arguments.size(), 8);
        EXPECT_EQ(arguments[0].toString(), QStringLiteral("Korvane"));
        EXPECT_EQ(arguments[1].toUInt(), 0u);
        // The desktop matches the notice to the installed entry and its icon by the one id.
        EXPECT_EQ(arguments[2].toString(), QStringLiteral("io.github.korvane.Korvane"));
        EXPECT_EQ(qdbus_cast<QVariantMap>(arguments[6]).value(QStringLiteral("desktop-entry")).toString(),
                  QStringLiteral("io.github.korvane.Korvane"));
        EXPECT_EQ(arguments[3].toString(), QStringLiteral("Only 3 GB free"));
        EXPECT_EQ(arguments[4].toString(), QStringLiteral("Korvane can reclaim <b>1 GB</b> & more."));
        EXPECT_EQ(arguments[7].toInt(), -1);
        serviceSide.unregisterObject(QString::fromLatin1(FreedesktopNotifier::objectPath));
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("service"));
    QDBusConnection::disconnectFromBus(QStringLiteral("app"));
}

// Answers every notice with the next id and can send the service's signals.
class ClickableService final : public QDBusVirtualObject {
public:
    std::vector<QDBusMessage> calls;
    quint32 nextID = 41;

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        calls.push_back(message);
        connection.send(message.createReply(QVariant::fromValue(++nextID)));
        return true;
    }
    QString introspect(const QString&) const override { return {}; }

    static void send(QDBusConnection& connection, const char* name, const QList<QVariant>& arguments) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QString::fromLatin1(FreedesktopNotifier::objectPath),
            QString::fromLatin1(FreedesktopNotifier::serviceName), QString::fromLatin1(name));
        signal.setArguments(arguments);
        connection.send(signal);
    }
};

TEST(FreedesktopNotifier, AClickOnItsOwnNoticeOpensKorvane) {
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    PrivateBus bus;
    ASSERT_TRUE(bus.isRunning());
    {
        QDBusConnection serviceSide = bus.connect(QStringLiteral("clicks-service"));
        ClickableService service;
        ASSERT_TRUE(serviceSide.registerVirtualObject(QString::fromLatin1(FreedesktopNotifier::objectPath),
                                                      &service));
        ASSERT_TRUE(serviceSide.registerService(QString::fromLatin1(FreedesktopNotifier::serviceName)));
        QDBusConnection appSide = bus.connect(QStringLiteral("clicks-app"));
        FreedesktopNotifier notifier(appSide);
        int opened = 0;
        notifier.setOpenHandler([&opened] { ++opened; });

        notifier.post("Only 3 GB free", "Korvane can reclaim 1 GB.");
        ASSERT_TRUE(testing::waitUntil([&] { return !service.calls.empty(); }));
        // Clicking it runs the notice's default action.
        const QStringList actions = qdbus_cast<QStringList>(service.calls.front().arguments()[5]);
        ASSERT_GE(actions.size(), 2);
        EXPECT_EQ(actions[0], QStringLiteral("default"));
        const uint ours = 42;

        const auto invoked = [](uint id, const char* key) {
            return QList<QVariant>{QVariant::fromValue(id), QString::fromLatin1(key)};
        };
        // One sender's messages arrive in order: once the click on our notice
        // is seen, the signals before it were handled, and did nothing.
        ClickableService::send(serviceSide, "ActionInvoked", invoked(7, "default"));  // another program's
        ClickableService::send(serviceSide, "ActionInvoked", invoked(ours, "other"));
        ClickableService::send(serviceSide, "ActionInvoked", invoked(ours, "default"));
        ASSERT_TRUE(testing::waitUntil([&] { return opened > 0; }));
        EXPECT_EQ(opened, 1);

        // A closed notice is forgotten: a late click on it opens nothing.
        ClickableService::send(serviceSide, "NotificationClosed",
                               {QVariant::fromValue(ours), QVariant::fromValue(uint(2))});
        ClickableService::send(serviceSide, "ActionInvoked", invoked(ours, "default"));
        notifier.post("Korvane can reclaim 30 GB", "Open Korvane to review it.");
        ASSERT_TRUE(testing::waitUntil([&] { return service.calls.size() == 2; }));
        ClickableService::send(serviceSide, "ActionInvoked", invoked(ours + 1, "default"));
        ASSERT_TRUE(testing::waitUntil([&] { return opened > 1; }));
        EXPECT_EQ(opened, 2);
        serviceSide.unregisterObject(QString::fromLatin1(FreedesktopNotifier::objectPath));
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("clicks-service"));
    QDBusConnection::disconnectFromBus(QStringLiteral("clicks-app"));
}

}  // namespace
}  // namespace korvane
