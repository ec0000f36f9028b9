#include <gtest/gtest.h>

#include <QLocalSocket>
#include <QSignalSpy>
#include <future>

#include "app/platform/SingleInstance_linux.h"
#include "tests/app/state/AppStateHarness.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using Claim = SingleInstance::Claim;
using testing::TempTree;

// A later launch is another process: it claims on a thread of its own while
// this one goes on answering.
Claim launchElsewhere(const std::string& lock, double waitSeconds = 5) {
    auto claimed = std::async(std::launch::async, [lock] { return SingleInstance(lock).claim(); });
    testing::waitUntil([&] { return claimed.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                       waitSeconds);
    return claimed.get();
}

TEST(SingleInstance, ALaterLaunchOnTheSameHomeBringsTheFirstForwardAndEnds) {
    TempTree tree;
    const std::string lock = tree.path("data/Korvane/instance.lock");
    SingleInstance first(lock);
    ASSERT_EQ(first.claim(), Claim::first);
    QSignalSpy forward(&first, &SingleInstance::comeForwardRequested);

    EXPECT_EQ(launchElsewhere(lock), Claim::forwarded);
    EXPECT_TRUE(testing::waitUntil([&] { return forward.count() == 1; }));

    // Another home has its own lock and its own socket.
    SingleInstance elsewhere(tree.path("other/Korvane/instance.lock"));
    EXPECT_NE(elsewhere.socketName(), first.socketName());
    EXPECT_EQ(elsewhere.claim(), Claim::first);
}

TEST(SingleInstance, TheNextLaunchAfterTheFirstEndedRunsItself) {
    TempTree tree;
    const std::string lock = tree.path("Korvane/instance.lock");
    auto first = std::make_unique<SingleInstance>(lock);
    ASSERT_EQ(first->claim(), Claim::first);
    first.reset();
    // The lock file and (after an abrupt end) the socket may be left behind: neither keeps it out.
    SingleInstance next(lock);
    EXPECT_EQ(next.claim(), Claim::first);
    QSignalSpy forward(&next, &SingleInstance::comeForwardRequested);
    EXPECT_EQ(launchElsewhere(lock), Claim::forwarded);
    EXPECT_TRUE(testing::waitUntil([&] { return forward.count() == 1; }));
}

// Quitting, the first stops its work before it ends: a launch meanwhile is not
// told that a window comes forward, it waits and then runs itself.
TEST(SingleInstance, ALaunchWhileTheFirstIsQuittingRunsItselfOnceTheFirstHasEnded) {
    TempTree tree;
    const std::string lock = tree.path("Korvane/instance.lock");
    auto first = std::make_unique<SingleInstance>(lock);
    ASSERT_EQ(first->claim(), Claim::first);
    QSignalSpy forward(first.get(), &SingleInstance::comeForwardRequested);
    first->stopAnswering();  // as a quit does before the windows close
    auto later = std::async(std::launch::async, [lock] { return SingleInstance(lock).claim(); });
    testing::waitUntil([] { return false; }, 0.5);
    EXPECT_EQ(later.wait_for(std::chrono::seconds(0)), std::future_status::timeout);

    first.reset();  // the first has ended
    EXPECT_EQ(later.get(), Claim::first);
    EXPECT_EQ(forward.count(), 0);
}

TEST(SingleInstance, OnlyTheRequestBringsItForward) {
    TempTree tree;
    SingleInstance first(tree.path("Korvane/instance.lock"));
    ASSERT_EQ(first.claim(), Claim::first);
    QSignalSpy forward(&first, &SingleInstance::comeForwardRequested);
    QLocalSocket stranger;
    stranger.connectToServer(first.socketName());
    ASSERT_TRUE(stranger.waitForConnected(1000));
    stranger.write("hello\n");
    stranger.waitForBytesWritten(1000);
    EXPECT_TRUE(testing::waitUntil([&] { return stranger.state() == QLocalSocket::UnconnectedState; }));
    EXPECT_EQ(forward.count(), 0);
}

TEST(SingleInstance, AnUnusableLockFileLeavesTheLaunchUnguarded) {
    TempTree tree;
    // A link in place of the lock file is never followed.
    tree.symlink("Korvane/instance.lock", tree.path("elsewhere"));
    SingleInstance guard(tree.path("Korvane/instance.lock"));
    EXPECT_EQ(guard.claim(), Claim::unguarded);
}

}  // namespace
}  // namespace korvane
