#include <gtest/gtest.h>

#include <cmath>

#include <QColor>
#include <QSignalSpy>

#include "app/theme/AppMotion.h"
#include "app/theme/MotionAnimation.h"

namespace korvane {
namespace {

TEST(Motion, SpringStartsAtZeroOvershootsAndSettlesWithinAThousandth) {
    for (const Motion& motion : {AppMotion::snappy, AppMotion::smooth, AppMotion::gentle}) {
        SCOPED_TRACE(motion.response);
        EXPECT_EQ(motion.progress(0), 0);
        EXPECT_EQ(motion.progress(-1), 0);
        const double settle = motion.duration();
        EXPECT_NEAR(settle, std::log(1000.0) * motion.response / (2 * M_PI * motion.dampingFraction), 1e-12);
        double peak = 0;
        for (double t = 0; t < settle; t += settle / 400) peak = std::max(peak, motion.progress(t));
        EXPECT_GT(peak, 1.0);  // under-damped: a small overshoot
        EXPECT_LT(peak, 1.02);
        // The envelope is down to 1/1000 there; the oscillation's own amplitude is 1/√(1 − ζ²).
        const double bound = 1e-3 / std::sqrt(1 - motion.dampingFraction * motion.dampingFraction);
        for (double t = settle; t < settle * 2; t += settle / 50)
            EXPECT_NEAR(springProgress(t, motion.response, motion.dampingFraction), 1.0, bound);
        EXPECT_EQ(motion.progress(settle), 1.0);
    }
}

TEST(Motion, SpringMatchesTheClosedFormAtAKnownPoint) {
    // ζ = 0.86, r = 0.28 at t = 0.1 s.
    const double omega0 = 2 * M_PI / 0.28;
    const double omegaD = omega0 * std::sqrt(1 - 0.86 * 0.86);
    const double expected = 1 - std::exp(-0.86 * omega0 * 0.1) *
                                    (std::cos(omegaD * 0.1) + 0.86 * omega0 / omegaD * std::sin(omegaD * 0.1));
    EXPECT_DOUBLE_EQ(AppMotion::snappy.progress(0.1), expected);
    EXPECT_GT(expected, 0.5);
}

TEST(Motion, FadeIsAQuadraticEaseInOut) {
    EXPECT_DOUBLE_EQ(AppMotion::fade.duration(), 0.22);
    EXPECT_DOUBLE_EQ(AppMotion::fade.progress(0.11), 0.5);
    EXPECT_DOUBLE_EQ(AppMotion::fade.progress(0.055), 0.125);
    EXPECT_EQ(AppMotion::fade.progress(0.3), 1.0);
}

TEST(Motion, EaseOutIsQuadraticAndFasterEarlyThanTheEaseInOut) {
    const Motion reading = AppMotion::reading;
    EXPECT_DOUBLE_EQ(reading.duration(), 0.6);
    EXPECT_DOUBLE_EQ(reading.progress(0.3), 0.75);  // 1 − (1 − ½)²
    EXPECT_DOUBLE_EQ(reading.progress(0.15), 1 - 0.75 * 0.75);
    EXPECT_GT(reading.progress(0.1), AppMotion::easeInOut(0.6).progress(0.1));
    EXPECT_EQ(reading.progress(0), 0.0);
    EXPECT_EQ(reading.progress(0.7), 1.0);
    EXPECT_DOUBLE_EQ(AppMotion::scanningRows.duration(), 0.25);
    EXPECT_DOUBLE_EQ(AppMotion::scanningHeadline.progress(0.2), springProgress(0.2, 0.5, 0.85));
}

TEST(MotionAnimation, JumpsToTheTargetWhenAnimationsAreOff) {
    AppMotion::setJumpToEnd(true);
    MotionAnimation animation(AppMotion::snappy, 0.0);
    QSignalSpy changed(&animation, &QVariantAnimation::valueChanged);
    animation.animateTo(1.0);
    EXPECT_EQ(animation.currentValue().toDouble(), 1.0);
    EXPECT_EQ(animation.state(), QAbstractAnimation::Stopped);
    EXPECT_GE(changed.count(), 1);
    AppMotion::setJumpToEnd(false);
}

TEST(MotionAnimation, RunsFromThePresentValueAlongTheCurve) {
    AppMotion::setJumpToEnd(false);
    MotionAnimation animation(AppMotion::snappy, QColor(Qt::black));
    animation.animateTo(QColor(Qt::white));
    EXPECT_EQ(animation.state(), QAbstractAnimation::Running);
    animation.setCurrentTime(100);
    const int expected = static_cast<int>(std::lround(255 * AppMotion::snappy.progress(0.1)));
    EXPECT_NEAR(animation.currentValue().value<QColor>().red(), expected, 1);
    // Turning back starts where it is, not where it began.
    const QColor midway = animation.currentValue().value<QColor>();
    animation.animateTo(QColor(Qt::black));
    EXPECT_EQ(animation.startValue().value<QColor>(), midway);
    animation.setCurrentTime(animation.duration());
    EXPECT_EQ(animation.currentValue().value<QColor>(), QColor(Qt::black));
}

}  // namespace
}  // namespace korvane
