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

}  // namespace
}  // namespace korvane
