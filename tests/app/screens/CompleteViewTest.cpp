#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>

#include "app/kit/KitButton.h"
#include "app/kit/LinkButton.h"
#include "app/screens/CleanupProgressView.h"
#include "app/screens/CompleteView.h"
#include "app/theme/AppMotion.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

using Route = AppState::Route;

class CompleteViewTest : public testing::FlowFixture {
protected:
    CompleteViewTest() { AppMotion::setJumpToEnd(true); }
    ~CompleteViewTest() override { AppMotion::setJumpToEnd(false); }

    static KitButton* button(const QWidget& view, const QString& title) {
        for (KitButton* found : view.findChildren<KitButton*>())
            if (found->title() == title) return found;
        return nullptr;
    }
    static QStringList visibleTexts(const QWidget& view) {
        QStringList texts;
        for (const QLabel* label : view.findChildren<QLabel*>())
            if (label->isVisibleTo(&view)) texts << label->text();
        return texts;
    }
};

TEST_F(CompleteViewTest, ShowsTheReportAndCopiesTheExactSummary) {
    launch({"--screen", "finished"});
    ASSERT_EQ(state().navigation().route(), Route::finished);
    CompleteView view(state().developer(), state().desktop());
    view.resize(800, 700);
    view.show();
    const QStringList texts = visibleTexts(view);
    for (const char* text :
         {"Cleanup complete", "removed from 4 locations", "Before", "18.4 GB free", "After", "36.8 GB free",
          "Nothing left to put back", "1 item was not removed", "Gradle 8.2 cache", "Already gone"})
        EXPECT_TRUE(texts.contains(text)) << text;
    ASSERT_NE(button(view, "Open Trash"), nullptr);
    // The demonstration's Trash item is not there: nothing to put back or empty.
    EXPECT_FALSE(button(view, "Put it back")->isEnabled());
    EXPECT_FALSE(button(view, "Empty")->isEnabled());
    EXPECT_TRUE(button(view, "Open Trash")->isEnabled());

    QTest::mouseClick(button(view, "Copy summary"), Qt::LeftButton);
    ASSERT_EQ(desktop_.copied.size(), 1u);
    EXPECT_EQ(desktop_.copied[0], state().developer().shareSummary());
    EXPECT_EQ(desktop_.copied[0].rfind("Korvane found ", 0), 0u);
    EXPECT_TRUE(visibleTexts(view).contains("Summary copied."));

    // Twice keeps one banner; Dismiss takes it away.
    QTest::mouseClick(button(view, "Copy summary"), Qt::LeftButton);
    EXPECT_EQ(visibleTexts(view).count("Summary copied."), 1);
    view.findChild<LinkButton*>()->click();
    EXPECT_EQ(state().developer().restoreNotice(), std::nullopt);
    EXPECT_FALSE(visibleTexts(view).contains("Summary copied."));

    QTest::mouseClick(button(view, "Open Trash"), Qt::LeftButton);
    EXPECT_EQ(desktop_.trashOpened, 1);
}

TEST_F(CompleteViewTest, ReturnActivatesDone) {
    launch({"--screen", "finished"});
    CompleteView view(state().developer(), state().desktop());
    view.resize(800, 700);
    view.show();
    EXPECT_TRUE(button(view, "Done")->isDefault());
    button(view, "Done")->click();
    EXPECT_EQ(state().navigation().route(), Route::explore);
    EXPECT_EQ(state().developer().lastReport(), std::nullopt);
    // Without a report only the actions stay.
    EXPECT_FALSE(visibleTexts(view).contains("Cleanup complete"));
    EXPECT_TRUE(button(view, "Copy summary")->isVisibleTo(&view));
}

// Outside a dialog the default-button flag does nothing: Return itself must leave the screen.
TEST_F(CompleteViewTest, ReturnLeavesTheScreenUnlessAnotherButtonHasTheFocus) {
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        launch({"--screen", "finished"});
        CompleteView view(state().developer(), state().desktop());
        view.resize(800, 700);
        view.show();
        QApplication::setActiveWindow(&view);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&view));

        // The focused button takes Return as its own press.
        button(view, "Copy summary")->setFocus();
        QTest::keyClick(&view, key);
        EXPECT_EQ(desktop_.copied.size(), 1u) << key;
        EXPECT_EQ(state().navigation().route(), Route::finished) << key;

        view.setFocus();
        QTest::keyClick(&view, key);
        EXPECT_EQ(state().navigation().route(), Route::explore) << key;
        EXPECT_EQ(state().developer().lastReport(), std::nullopt) << key;
        desktop_.copied.clear();
    }
}

TEST_F(CompleteViewTest, EmptyingTheTrashShowsTheHonestNotice) {
    tree_.file("home/.Trash/node_modules/left", 10);  // where the demonstration says its item went
    launch({"--screen", "finished"});
    CompleteView view(state().developer(), state().desktop());
    view.show();
    // No recorded cleanup names anything in the Trash.
    button(view, "Empty 5.6 GB")->click();
    ASSERT_TRUE(testing::waitUntil([&] { return state().developer().restoreNotice().has_value(); }));
    EXPECT_EQ(state().developer().restoreNotice(), "There was nothing of Korvane's left in the Trash.");
    EXPECT_TRUE(visibleTexts(view).contains("There was nothing of Korvane's left in the Trash."));
}

TEST_F(CompleteViewTest, ARefusedPutBackShowsNoSuccessTick) {
    tree_.file("home/.Trash/node_modules/left", 10);  // where the demonstration says its item went
    launch({"--screen", "finished"});
    CompleteView view(state().developer(), state().desktop());
    view.show();
    // The demonstration's report names a place Korvane never recorded: nothing is put back.
    button(view, "Put it back")->click();
    ASSERT_TRUE(testing::waitUntil([&] { return state().developer().restoreNotice().has_value(); }));
    EXPECT_TRUE(view.content().noticeIsProblem);
    EXPECT_TRUE(visibleTexts(view).contains("Korvane did not record where this went"));
    // A notice of something done wears the tick again.
    state().developer().copySummary();
    EXPECT_FALSE(view.content().noticeIsProblem);
}

TEST_F(CompleteViewTest, AfterEmptyingNothingIsLeftToPutBackAndTheNextRunStartsClean) {
    AppState& state = launch();
    const auto candidate = [this](const std::string& name) {
        tree_.file("home/" + name + "/data", 100);
        return CleanupCandidate(UUID::random(), CleanupCategory::node, "general.userChoice", "Group", name,
                                at(name), 4'000, SafetyLevel::caution, "reason", std::nullopt, std::nullopt,
                                {}, RemovalKind::path());
    };
    const auto clean = [&](const CleanupCandidate& picked) {
        state.developer().stageForReview({picked});
        state.developer().startCleanup();
        return testing::waitUntil([&] { return state.navigation().route() == Route::finished; });
    };
    ASSERT_TRUE(clean(candidate("first")));
    CompleteView view(state.developer(), state.desktop());
    view.resize(800, 700);
    view.show();
    EXPECT_TRUE(visibleTexts(view).contains("4 KB can still be put back"));
    ASSERT_NE(button(view, "Empty 4 KB"), nullptr);
    EXPECT_TRUE(button(view, "Put it back")->isEnabled());

    button(view, "Empty 4 KB")->click();
    ASSERT_TRUE(testing::waitUntil([&] { return state.developer().restoreNotice().has_value(); }));
    EXPECT_EQ(state.developer().restoreNotice(), "Emptied 4 KB from the Trash.");
    const QStringList texts = visibleTexts(view);
    EXPECT_TRUE(texts.contains("Nothing left to put back"));
    EXPECT_FALSE(texts.contains("4 KB can still be put back"));
    EXPECT_FALSE(button(view, "Put it back")->isEnabled());
    ASSERT_NE(button(view, "Empty"), nullptr);
    EXPECT_FALSE(button(view, "Empty")->isEnabled());
    EXPECT_TRUE(button(view, "Open Trash")->isEnabled());

    // The next run's screen starts without this run's notices.
    QTest::mouseClick(button(view, "Copy summary"), Qt::LeftButton);
    ASSERT_TRUE(clean(candidate("second")));
    EXPECT_EQ(state.developer().restoreNotice(), std::nullopt);
    EXPECT_FALSE(visibleTexts(view).contains("Summary copied."));
    EXPECT_TRUE(visibleTexts(view).contains("4 KB can still be put back"));
}

TEST_F(CompleteViewTest, ProgressScreenFollowsTheCleanupAndStops) {
    launch({"--screen", "cleaning"});
    CleanupProgressView view(state().developer());
    view.show();
    EXPECT_EQ(view.content(), cleanupProgressContent(state().developer().cleanupProgress()));
    EXPECT_TRUE(visibleTexts(view).contains("7 of 26"));
    EXPECT_TRUE(visibleTexts(view).contains("storefront/node_modules"));
    state().developer().setCleanupProgress(CleanupProgress(26, 26, "last", 9'000'000'000));
    EXPECT_TRUE(visibleTexts(view).contains("26 of 26"));
    EXPECT_EQ(view.content().fraction, 1.0);
    // No engine runs behind the demonstration: Stop goes back to the explorer.
    QTest::mouseClick(view.findChild<LinkButton*>(), Qt::LeftButton);
    EXPECT_EQ(state().navigation().route(), Route::explore);
}

}  // namespace
}  // namespace korvane
