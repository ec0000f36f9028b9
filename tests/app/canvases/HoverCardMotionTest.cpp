#include <gtest/gtest.h>

#include <QWidget>

#include "app/canvases/HoverCardMotion.h"
#include "app/theme/AppMotion.h"
#include "app/theme/MotionAnimation.h"

namespace korvane {
namespace {

HoverCardContent card(const std::string& name) {
    HoverCardContent content;
    content.name = name;
    content.number = "12";
    content.unit = "MB";
    content.share = "\u00b7 5.0%";
    return content;
}

// The card fades in where it belongs, glides to the next item's place while
// staying on screen, and fades out where it stood; a new tree drops it.
TEST(HoverCardMotion, FadesInGlidesBetweenItemsAndFadesOut) {
    AppMotion::setJumpToEnd(false);
    QWidget canvas;
    canvas.resize(600, 400);
    HoverCardMotion motion(canvas);
    const QRectF first(40, 60, 196, 70);
    const QRectF second(300, 200, 196, 70);
    EXPECT_TRUE(motion.shownRect().isEmpty());

    motion.show(card("Caches"), first);
    EXPECT_EQ(motion.opacity(), 0.0);
    motion.fade()->setCurrentTime(110);
    EXPECT_GT(motion.opacity(), 0.0);
    EXPECT_LT(motion.opacity(), 1.0);
    EXPECT_EQ(motion.shownRect(), first);  // appears in place, not from elsewhere
    motion.fade()->setCurrentTime(220);
    EXPECT_EQ(motion.opacity(), 1.0);

    // The pointer moves on: the card stays opaque and travels.
    motion.show(card("Downloads"), second);
    EXPECT_EQ(motion.opacity(), 1.0);
    EXPECT_EQ(motion.shownRect().topLeft(), first.topLeft());
    motion.glide()->setCurrentTime(80);
    const QPointF between = motion.shownRect().topLeft();
    EXPECT_GT(between.x(), first.x());
    EXPECT_LT(between.x(), second.x() + 5);  // a spring may pass a little
    motion.glide()->setCurrentTime(motion.glide()->duration());
    EXPECT_EQ(motion.shownRect(), second);

    // A short gap between items dips it, and the next item brings it back from there.
    motion.hide();
    motion.fade()->setCurrentTime(60);
    const double dipped = motion.opacity();
    EXPECT_LT(dipped, 1.0);
    EXPECT_GT(dipped, 0.0);
    motion.show(card("Downloads"), second);
    EXPECT_DOUBLE_EQ(motion.opacity(), dipped);

    motion.hide();
    motion.fade()->setCurrentTime(110);
    EXPECT_EQ(motion.shownRect(), second);  // fading where it stood
    motion.fade()->setCurrentTime(220);
    EXPECT_TRUE(motion.shownRect().isEmpty());

    motion.show(card("Caches"), first);
    motion.drop();
    EXPECT_TRUE(motion.shownRect().isEmpty());
}

TEST(HoverCardMotion, LandsAtOnceWhenAnimationsJump) {
    AppMotion::setJumpToEnd(true);
    QWidget canvas;
    HoverCardMotion motion(canvas);
    motion.show(card("Caches"), QRectF(10, 10, 196, 70));
    EXPECT_EQ(motion.opacity(), 1.0);
    motion.show(card("Caches"), QRectF(200, 10, 196, 70));
    EXPECT_EQ(motion.shownRect().topLeft(), QPointF(200, 10));
    motion.hide();
    EXPECT_TRUE(motion.shownRect().isEmpty());
    AppMotion::setJumpToEnd(false);
}

}  // namespace
}  // namespace korvane
