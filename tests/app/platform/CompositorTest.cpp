#include <gtest/gtest.h>

#include <QGuiApplication>

#include "app/platform/Compositor_linux.h"
#include "tests/app/fakes/FakeCompositor.h"

namespace korvane {
namespace {

TEST(Compositor, OnlyAnXServerWithAManagerOrWaylandComposites) {
    // The tests run offscreen: nothing blends translucent windows there.
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("offscreen"));
    EXPECT_FALSE(DesktopCompositor().isComposited());
    EXPECT_FALSE(Compositor::current().isComposited());
}

TEST(Compositor, ATestsAnswerStandsUntilItGoes) {
    {
        const testing::FakeCompositor composited(true);
        EXPECT_TRUE(Compositor::current().isComposited());
    }
    EXPECT_FALSE(Compositor::current().isComposited());
    EXPECT_NE(dynamic_cast<const DesktopCompositor*>(&Compositor::current()), nullptr);
}

}  // namespace
}  // namespace korvane
