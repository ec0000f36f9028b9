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

TEST(Motion, ArrivalIsTheLastMomentProgressLeavesItsBand) {
    struct Case {
        const char* name;
        Motion motion;
        Arrival arrival;
    };
    const Case cases[] = {
        {"gentle band sliding 14 px, fading", AppMotion::gentle, Arrival::slide(14, true)},
        {"gentle band at ratio 2", AppMotion::gentle, Arrival::slide(28, true)},
        {"gentle slide without fade", AppMotion::gentle, Arrival::slide(14, false)},
        // Its overshoot (about 0.5 %) is wider than half a pixel of 300.
        {"snappy over 300 px", AppMotion::snappy, Arrival::slide(300, false)},
        {"smooth, the thousandth", AppMotion::smooth, Arrival{}},
        {"ease-out reading over 200 px", AppMotion::reading, Arrival::slide(200, false)},
        {"fade, opacity only", AppMotion::fade, Arrival::slide(0, true)},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const Motion& motion = test.motion;
        const double arrival = motion.arrivalTime(test.arrival);
        ASSERT_GT(arrival, 0);
        EXPECT_LE(arrival, motion.duration());
        const auto inside = [&](double t) {
            const double left = 1 - motion.progress(t);
            return left <= test.arrival.below + 1e-12 && -left <= test.arrival.above + 1e-12;
        };
        // Never out again, however finely it is sampled…
        for (double t = arrival; t < motion.duration() * 1.5; t += motion.duration() / 5000)
            ASSERT_TRUE(inside(t)) << t;
        // …and out just before: the band is not entered any sooner.
        EXPECT_FALSE(inside(arrival - 1e-6));
    }
}

TEST(Motion, ArrivalEndsTheStrataBandsWellBeforeTheirSpringSettles) {
    const double arrival = AppMotion::gentle.arrivalTime(Arrival::slide(14, true));
    EXPECT_LT(arrival, 0.5);
    EXPECT_GT(arrival, 0.4);
    EXPECT_NEAR(AppMotion::gentle.arrivalTime({}), AppMotion::gentle.duration(), 0.05);
}

TEST(Motion, ArrivalOfLessThanHalfAPixelIsImmediate) {
    EXPECT_EQ(AppMotion::gentle.arrivalTime(Arrival::slide(0.4, false)), 0);
    EXPECT_EQ(AppMotion::reading.arrivalTime(Arrival::slide(0.4, false)), 0);
    const Arrival fading = Arrival::slide(10, true);
    EXPECT_DOUBLE_EQ(fading.below, 1.0 / 255);
    EXPECT_DOUBLE_EQ(fading.above, 0.05);
    EXPECT_DOUBLE_EQ(Arrival::slide(10, false).below, 0.05);
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
