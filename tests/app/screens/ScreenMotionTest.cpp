#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QVariantAnimation>

#include "app/kit/ByteHeadline.h"
#include "app/kit/KitButton.h"
#include "app/kit/SlideReveal.h"
#include "app/screens/CleanupProgressView.h"
#include "app/screens/CompleteView.h"
#include "app/screens/EntryList.h"
#include "app/screens/EntryListModel.h"
#include "app/screens/ScanningView.h"
#include "app/theme/AppMotion.h"
#include "app/theme/MotionAnimation.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

// Every running animation under `root` moved to `milliseconds` into its run,
// and the layouts they asked for done.
void stepTo(QObject& root, int milliseconds) {
    for (auto* animation : root.findChildren<QVariantAnimation*>())
        if (animation->state() == QAbstractAnimation::Running) animation->setCurrentTime(milliseconds);
    for (int pass = 0; pass < 4; ++pass) QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

class ScreenMotionTest : public testing::FlowFixture {
protected:
    ScreenMotionTest() { AppMotion::setJumpToEnd(false); }
    ~ScreenMotionTest() override { AppMotion::setJumpToEnd(false); }

    static KitButton* button(const QWidget& view, const QString& title) {
        for (KitButton* found : view.findChildren<KitButton*>())
            if (found->title() == title) return found;
        return nullptr;
    }
};

// The notice banner slides down and fades in while "Done" glides down to
// make room, and both go back the same way on "Dismiss".
TEST_F(ScreenMotionTest, CompletionNoticeSlidesAndTheActionsGlide) {
    launch({"--screen", "finished"});
    CompleteView view(state().developer(), state().desktop());
    view.resize(800, 900);
    view.show();
    stepTo(view, 10'000);
    SlideReveal& banner = *view.noticeBanner();
    KitButton& done = *button(view, "Done");
    const auto doneTop = [&] { return done.mapTo(&view, QPoint(0, 0)).y(); };
    ASSERT_FALSE(banner.isVisible());
    const int restingTop = doneTop();

    state().developer().setRestoreNotice("Summary copied.");
    EXPECT_TRUE(banner.isVisible());
    stepTo(view, 0);
    const int startTop = doneTop();
    stepTo(view, 110);
    const int midTop = doneTop();
    EXPECT_GT(banner.progress(), 0.0);
    EXPECT_LT(banner.progress(), 1.0);
    EXPECT_LT(banner.content()->y(), 0);  // still partly above its place
    stepTo(view, 220);
    const int endTop = doneTop();
    EXPECT_DOUBLE_EQ(banner.progress(), 1.0);
    EXPECT_EQ(banner.content()->y(), 0);
    // The column is centred: the actions move by half the banner, in steps.
    EXPECT_LE(std::abs(startTop - restingTop), 1);
    EXPECT_GT(endTop, startTop + 10);
    EXPECT_GT(midTop, startTop);
    EXPECT_LT(midTop, endTop);

    state().developer().setRestoreNotice(std::nullopt);
    stepTo(view, 110);
    EXPECT_TRUE(banner.isVisible());  // leaving, not gone
    EXPECT_LT(doneTop(), endTop);
    stepTo(view, 220);
    EXPECT_FALSE(banner.isVisible());
    EXPECT_LE(std::abs(doneTop() - restingTop), 1);
}

// The action bar rises from the bottom on the first tick and sinks away on
// the last untick; a row's highlight fades in and out with the pointer.
TEST_F(ScreenMotionTest, EntryListBarSlidesAndHoverFades) {
    launch({"--mode", "general"});
    EntryList list(state().developer(), state().desktop(), state().clock());
    const auto now = std::chrono::system_clock::now();
    list.setEntries({FileTreeScanner::Entry::make("a.iso", "/data/a.iso", 4'000'000, now, false),
                     FileTreeScanner::Entry::make("b.iso", "/data/b.iso", 3'000'000, now, false),
                     FileTreeScanner::Entry::make("c.iso", "/data/c.iso", 2'000'000, now, false)});
    list.resize(700, 400);
    list.show();
    SlideReveal& bar = *list.actionBarSlot();
    ASSERT_FALSE(bar.isVisible());

    list.model()->toggle(0);
    EXPECT_TRUE(bar.isVisible());
    stepTo(list, 110);
    const int fullHeight = bar.content()->height();
    EXPECT_GT(bar.height(), 0);
    EXPECT_LT(bar.height(), fullHeight);
    EXPECT_EQ(bar.content()->y(), 0);  // rises with its top edge first
    stepTo(list, 220);
    EXPECT_EQ(bar.height(), fullHeight);
    list.model()->toggle(1);  // a second tick moves nothing
    EXPECT_EQ(bar.animation()->state(), QAbstractAnimation::Stopped);

    list.model()->toggle(0);
    list.model()->toggle(1);
    stepTo(list, 110);
    EXPECT_TRUE(bar.isVisible());
    EXPECT_LT(bar.height(), fullHeight);
    stepTo(list, 220);
    EXPECT_FALSE(bar.isVisible());

    list.setHoveredRow(1);
    EXPECT_DOUBLE_EQ(list.hoverLevel(1), 0.0);
    stepTo(list, 110);
    const double halfway = list.hoverLevel(1);
    EXPECT_GT(halfway, 0.0);
    EXPECT_LT(halfway, 1.0);
    list.setHoveredRow(2);
    EXPECT_DOUBLE_EQ(list.hoverLevel(1), halfway);  // fades out from where it was
    stepTo(list, 220);
    EXPECT_DOUBLE_EQ(list.hoverLevel(1), 0.0);
    EXPECT_DOUBLE_EQ(list.hoverLevel(2), 1.0);
    EXPECT_DOUBLE_EQ(list.hoverLevel(0), 0.0);
}

// The found-so-far figure rolls along the 0.5 / 0.85 spring, and each new
// category row slides down into its place.
TEST_F(ScreenMotionTest, ScanningHeadlineSpringsAndRowsSlideIn) {
    launch({"--screen", "scanning"});
    const ScanProgress finished = state().developer().scanProgress();
    ASSERT_FALSE(scanningContent(finished).rows.empty());
    state().developer().setScanProgress(ScanProgress::idle());
    ScanningView view(state().developer());
    view.resize(800, 700);
    view.show();
    ASSERT_TRUE(view.rowSlots().empty());

    state().developer().setScanProgress(finished);
    const auto found = static_cast<double>(scanningContent(finished).foundSoFar);
    stepTo(view, 200);
    const Motion spring = AppMotion::scanningHeadline;
    EXPECT_NEAR(view.headline()->shownBytes(), found * springProgress(0.2, 0.5, 0.85), found * 1e-3);
    EXPECT_GT(std::abs(view.headline()->shownBytes() - found * AppMotion::gentle.progress(0.2)), found * 1e-3);
    EXPECT_EQ(spring.response, 0.5);

    const auto rows = view.rowSlots();
    ASSERT_EQ(rows.size(), scanningContent(finished).rows.size());
    stepTo(view, 125);
    for (SlideReveal* row : rows) {
        EXPECT_GT(row->progress(), 0.0);
        EXPECT_LT(row->progress(), 1.0);
        EXPECT_LT(row->content()->y(), 0);
    }
    stepTo(view, 250);
    for (SlideReveal* row : rows) {
        EXPECT_DOUBLE_EQ(row->progress(), 1.0);
        EXPECT_EQ(row->content()->y(), 0);
    }
    // The same rows again slide nothing.
    state().developer().setScanProgress(finished);
    for (SlideReveal* row : view.rowSlots()) EXPECT_EQ(row->animation()->state(), QAbstractAnimation::Stopped);

    // A new scan's empty list: the rows slide up and fade, then go.
    state().developer().setScanProgress(ScanProgress::idle());
    EXPECT_TRUE(view.rowSlots().empty());
    stepTo(view, 125);
    for (SlideReveal* row : rows) {
        EXPECT_TRUE(row->isVisible());
        EXPECT_LT(row->progress(), 1.0);
        EXPECT_LT(row->content()->y(), 0);
    }
    stepTo(view, 250);
    for (SlideReveal* row : rows) EXPECT_FALSE(row->isVisible());
}

// The reclaimed-so-far figure rolls along the 0.4 / 0.85 spring from where
// it stands, lands at once when asked, and no animation runs once it is there.
TEST_F(ScreenMotionTest, CleanupHeadlineRollsOnItsSpring) {
    launch({"--screen", "explore"});
    CleanupProgressView view(state().developer());
    view.resize(800, 700);
    view.show();
    const double freed = 2'400'000'000;
    state().developer().setCleanupProgress(CleanupProgress(3, 12, "DerivedData", 2'400'000'000));
    for (const int milliseconds : {0, 50, 100, 160, 300}) {
        stepTo(view, milliseconds);
        EXPECT_NEAR(view.headline()->shownBytes(), freed * springProgress(milliseconds / 1000.0, 0.4, 0.85),
                    freed * 1e-3)
            << milliseconds;
    }
    EXPECT_GT(std::abs(view.headline()->shownBytes() - freed * AppMotion::gentle.progress(0.3)), freed * 1e-3)
        << "the gentle spring, not the headline's own";
    stepTo(view, 5'000);
    EXPECT_DOUBLE_EQ(view.headline()->shownBytes(), freed);
    for (auto* animation : view.findChildren<QVariantAnimation*>())
        EXPECT_NE(animation->state(), QAbstractAnimation::Running);

    AppMotion::setJumpToEnd(true);
    state().developer().setCleanupProgress(CleanupProgress(4, 12, "node_modules", 3'000'000'000));
    EXPECT_DOUBLE_EQ(view.headline()->shownBytes(), 3'000'000'000.0);
    for (auto* animation : view.findChildren<QVariantAnimation*>())
        EXPECT_NE(animation->state(), QAbstractAnimation::Running);
}

// A rolling figure never draws wider than the room its headline asked for,
// neither across a unit on the way up (0 to 1.69 GB passes 999.9 MB) nor on
// the way down from a wider figure (839.8 MB to 64.1 MB), spring overshoot
// included.
TEST_F(ScreenMotionTest, HeadlineHasRoomForEveryFigureItRollsThrough) {
    const std::pair<std::int64_t, std::int64_t> rolls[] = {
        {0, 1'690'000'000}, {839'800'000, 64'100'000}, {0, 2'000'000'000}, {1'000'000'000, 999'000'000}};
    for (const auto& [from, to] : rolls) {
        ByteHeadline headline(from, 40, 17);
        headline.setBytes(to);
        const int room = headline.sizeHint().width();
        for (int milliseconds = 0; milliseconds <= 3'000; milliseconds += 10) {
            stepTo(headline, milliseconds);
            const auto shown = static_cast<std::int64_t>(std::llround(headline.shownBytes()));
            EXPECT_LE(headline.figureWidth(shown), room) << from << " to " << to << " at " << shown;
        }
    }
}

}  // namespace
}  // namespace korvane
