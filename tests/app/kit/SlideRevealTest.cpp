#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QGraphicsEffect>
#include <QVBoxLayout>

#include "app/kit/SlideReveal.h"
#include "app/theme/AppMotion.h"
#include "app/theme/MotionAnimation.h"

namespace korvane {
namespace {

// A holder brings its content in from its edge: its own height grows with
// the motion, the content comes down from above (top) or shows its top edge
// first (bottom), and at rest it is drawn without the fade. Taken away, it
// leaves the layout once the motion ends.
TEST(SlideReveal, SlidesFromItsEdgeAndLeavesTheLayoutWhenGone) {
    struct Case {
        SlideReveal::Edge edge;
        bool contentAbove;  // half-way, the content's top is above the holder's
    };
    AppMotion::setJumpToEnd(false);
    for (const Case& c : {Case{SlideReveal::Edge::top, true}, Case{SlideReveal::Edge::bottom, false}}) {
        QWidget host;
        auto* column = new QVBoxLayout(&host);
        auto* content = new QWidget;
        content->setFixedHeight(40);
        auto* holder = new SlideReveal(content, c.edge, AppMotion::fade);
        column->addWidget(holder);
        column->addStretch(1);
        host.resize(300, 200);
        host.show();
        const auto step = [&](int milliseconds) {
            holder->animation()->setCurrentTime(milliseconds);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        };
        EXPECT_FALSE(holder->isVisible());

        holder->setRevealed(true);
        step(110);
        EXPECT_NEAR(holder->height(), 20, 1);
        EXPECT_EQ(content->y() < 0, c.contentAbove);
        EXPECT_NE(content->graphicsEffect(), nullptr);
        EXPECT_TRUE(content->graphicsEffect()->isEnabled());
        step(220);
        EXPECT_EQ(holder->height(), 40);
        EXPECT_EQ(content->y(), 0);
        EXPECT_FALSE(content->graphicsEffect()->isEnabled());

        holder->setRevealed(false);
        step(110);
        EXPECT_TRUE(holder->isVisible());
        EXPECT_NEAR(holder->height(), 20, 1);
        step(220);
        EXPECT_FALSE(holder->isVisible());

        // The tests' switch lands at once.
        AppMotion::setJumpToEnd(true);
        holder->setRevealed(true);
        EXPECT_TRUE(holder->isVisible());
        EXPECT_EQ(holder->animation()->state(), QAbstractAnimation::Stopped);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        EXPECT_EQ(holder->height(), 40);
        AppMotion::setJumpToEnd(false);
    }
}

}  // namespace
}  // namespace korvane
