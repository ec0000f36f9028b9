#include <gtest/gtest.h>

#include <cmath>

#include <QSignalSpy>

#include "app/theme/GaugeMotion.h"

namespace korvane {
namespace {

// Following the frames it asks for, a gauge takes about one frame per pixel
// of travel (never more often than the display's 60 a second), each frame
// on the eased curve, and lands on its target.
TEST(GaugeMotion, WakesAboutOncePerPixelAlongTheCurve) {
    struct Case {
        double pixels;
        int fewest;
        int most;
    };
    AppMotion::setJumpToEnd(false);
    for (const Case& c : {Case{3, 3, 4}, Case{10, 10, 11}, Case{1000, 20, 38}}) {
        SCOPED_TRACE(c.pixels);
        GaugeMotion gauge(AppMotion::reading, 0.2);
        gauge.setScale(c.pixels / 0.5);  // 0.2 → 0.7 spans `pixels`
        QSignalSpy frames(&gauge, &GaugeMotion::valueChanged);
        gauge.animateTo(0.7);
        EXPECT_NEAR(gauge.value(), 0.2, 1e-3);  // the real clock has barely moved
        double seconds = 0;
        int woken = 0;
        while (gauge.isRunning() && woken < 100) {
            EXPECT_GE(gauge.nextFrameIn(), 16);
            seconds += gauge.nextFrameIn() / 1000.0;
            gauge.setElapsed(seconds);
            ++woken;
            if (gauge.isRunning()) {
                EXPECT_NEAR(gauge.value(), 0.2 + 0.5 * AppMotion::reading.progress(seconds), 1e-12);
            }
        }
        EXPECT_GE(woken, c.fewest);
        EXPECT_LE(woken, c.most);
        EXPECT_EQ(gauge.value(), 0.7);
        EXPECT_EQ(frames.count(), woken + 1);  // and the first, at the start
    }
}

TEST(GaugeMotion, JumpsWhenAskedAndTurnsBackFromWhereItIs) {
    GaugeMotion gauge(AppMotion::reading, 0.0);
    gauge.setScale(100);
    AppMotion::setJumpToEnd(true);
    gauge.animateTo(1.0);
    EXPECT_FALSE(gauge.isRunning());
    EXPECT_EQ(gauge.value(), 1.0);
    AppMotion::setJumpToEnd(false);
    gauge.animateTo(0.0);
    gauge.setElapsed(0.3);
    const double midway = gauge.value();
    gauge.animateTo(1.0);
    EXPECT_NEAR(gauge.value(), midway, 1e-3);
    EXPECT_TRUE(gauge.isRunning());
}

}  // namespace
}  // namespace korvane
