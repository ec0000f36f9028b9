#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QVBoxLayout>
#include <filesystem>

#include "app/kit/KitButton.h"
#include "app/kit/LinkButton.h"
#include "app/screens/CleanupProgressView.h"
#include "app/screens/CompleteView.h"
#include "app/theme/AppMotion.h"
#include "core/text/ByteFormat.h"
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
    // A removed folder counts what it measured as it went.
    QString sizeOf(const std::string& name) const {
        return QString::fromStdString(ByteFormat::string(testing::duBytes(at(name))));
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
          "5.6 GB can still be put back", "1 item was not removed", "Gradle 8.2 cache", "Already gone"})
        EXPECT_TRUE(texts.contains(text)) << text;
    ASSERT_NE(button(view, "Open Trash"), nullptr);
    // The demonstration shows its report as written, not as this computer's Trash holds it.
    EXPECT_TRUE(button(view, "Put it back")->isEnabled());
    ASSERT_NE(button(view, "Empty 5.6 GB"), nullptr);
    EXPECT_TRUE(button(view, "Empty 5.6 GB")->isEnabled());
    EXPECT_TRUE(button(view, "Open Trash")->isEnabled());

    // This cleanup's summary, not the scan's.
    QTest::mouseClick(button(view, "Copy summary"), Qt::LeftButton);
    ASSERT_EQ(desktop_.copied.size(), 1u);
    EXPECT_EQ(
        desktop_.copied[0],
        "Korvane removed 24 GB from 4 locations \u2014 9 images with no container 7.4 GB, storefront 6.9 GB, "
        "atlas-api 5.6 GB and 1 more. 5.6 GB of it went to the Trash. 1 item was not removed. Free space "
        "went from 18.4 GB to 36.8 GB.");
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

// A button clicked with the pointer does not take Return away from "Done",
// also once it turns disabled and the focus would move on to "Open Trash".
TEST_F(CompleteViewTest, ReturnStaysDoneAfterAButtonWasClicked) {
    AppState& state = launch();
    tree_.file("home/picked/data", 100);
    const QString empty = "Empty " + sizeOf("picked");
    state.developer().stageForReview({CleanupCandidate(
        UUID::random(), CleanupCategory::node, "general.userChoice", "Group", "picked", at("picked"), 4'000,
        SafetyLevel::caution, "reason", std::nullopt, std::nullopt, {}, RemovalKind::path())});
    state.developer().startCleanup();
    ASSERT_TRUE(testing::waitUntil([&] { return state.navigation().route() == Route::finished; }));
    CompleteView view(state.developer(), state.desktop());
    view.resize(800, 700);
    view.show();
    QApplication::setActiveWindow(&view);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    ASSERT_TRUE(testing::waitUntil([&] { return button(view, empty) != nullptr; }));

    QTest::mouseClick(button(view, empty), Qt::LeftButton);
    ASSERT_TRUE(testing::waitUntil([&] { return state.developer().restoreNotice().has_value(); }));
    QTest::mouseClick(button(view, "Copy summary"), Qt::LeftButton);
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(desktop_.trashOpened, 0);
    EXPECT_EQ(desktop_.copied.size(), 1u);
    EXPECT_NE(state.navigation().route(), Route::finished);
    EXPECT_EQ(state.developer().lastReport(), std::nullopt);
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
    const CleanupCandidate first = candidate("first");
    const QString went = sizeOf("first");
    ASSERT_TRUE(clean(first));
    CompleteView view(state.developer(), state.desktop());
    view.resize(800, 700);
    view.show();
    EXPECT_TRUE(visibleTexts(view).contains(went + " can still be put back"));
    ASSERT_TRUE(testing::waitUntil([&] { return button(view, "Empty " + went) != nullptr; }));
    EXPECT_TRUE(button(view, "Put it back")->isEnabled());

    button(view, "Empty " + went)->click();
    ASSERT_TRUE(testing::waitUntil([&] { return state.developer().restoreNotice().has_value(); }));
    EXPECT_EQ(state.developer().restoreNotice(), "Emptied " + went.toStdString() + " from the Trash.");
    const QStringList texts = visibleTexts(view);
    EXPECT_TRUE(texts.contains("Nothing left to put back"));
    EXPECT_TRUE(texts.contains("Korvane emptied those items from the Trash, so their space is free again."));
    EXPECT_FALSE(texts.contains(went + " can still be put back"));
    EXPECT_FALSE(button(view, "Put it back")->isEnabled());
    ASSERT_NE(button(view, "Empty"), nullptr);
    EXPECT_FALSE(button(view, "Empty")->isEnabled());
    EXPECT_TRUE(button(view, "Open Trash")->isEnabled());
    // The free space after the run is measured again.
    EXPECT_TRUE(state.developer().reportFollowUp().volumeNow.has_value());

    // The next run's screen starts without this run's notices.
    QTest::mouseClick(button(view, "Copy summary"), Qt::LeftButton);
    const CleanupCandidate second = candidate("second");
    const QString wentNext = sizeOf("second");
    ASSERT_TRUE(clean(second));
    EXPECT_EQ(state.developer().restoreNotice(), std::nullopt);
    EXPECT_FALSE(visibleTexts(view).contains("Summary copied."));
    EXPECT_TRUE(visibleTexts(view).contains(wentNext + " can still be put back"));
}

// "Empty" names what it removes: every item of Korvane's still in the Trash, over every stored cleanup.
TEST_F(CompleteViewTest, EmptyNamesWhatItRemovesOverEveryCleanup) {
    AppState& state = launch();
    std::int64_t went = 0;
    const auto clean = [&](const std::string& name, std::int64_t size) {
        tree_.file("home/" + name + "/data", static_cast<std::size_t>(size));
        went = testing::duBytes(at(name));
        state.developer().stageForReview({CleanupCandidate(
            UUID::random(), CleanupCategory::node, "general.userChoice", "Group", name, at(name), size,
            SafetyLevel::caution, "reason", std::nullopt, std::nullopt, {}, RemovalKind::path())});
        state.developer().startCleanup();
        return testing::waitUntil([&] { return state.navigation().route() == Route::finished; });
    };
    const auto text = [](std::int64_t bytes) { return QString::fromStdString(ByteFormat::string(bytes)); };
    ASSERT_TRUE(clean("first", 4'000));
    const std::int64_t first = went;
    state.developer().dismissReport();
    ASSERT_TRUE(clean("second", 16'000));
    CompleteView view(state.developer(), state.desktop());
    view.resize(800, 700);
    view.show();
    EXPECT_TRUE(visibleTexts(view).contains(text(went) + " can still be put back"));
    const QString both = "Empty " + text(first + went);
    ASSERT_TRUE(testing::waitUntil([&] { return button(view, both) != nullptr; }));
    EXPECT_TRUE(button(view, both)->isEnabled());

    button(view, both)->click();
    ASSERT_TRUE(testing::waitUntil([&] { return state.developer().restoreNotice().has_value(); }));
    EXPECT_EQ(state.developer().restoreNotice(),
              "Emptied " + ByteFormat::string(first + went) + " from the Trash.");
    EXPECT_FALSE(button(view, "Empty")->isEnabled());

    // What the user empties by hand is no longer offered, once the screen looks again.
    ASSERT_TRUE(clean("third", 3'000));
    ASSERT_TRUE(testing::waitUntil([&] { return button(view, "Empty " + text(went)) != nullptr; }));
    std::filesystem::remove_all(home_ + "/.local/share/Trash/files/third");
    view.hide();
    view.show();
    ASSERT_TRUE(testing::waitUntil([&] { return button(view, "Empty") != nullptr; }));
    EXPECT_FALSE(button(view, "Empty")->isEnabled());
}

// A run that removed nothing says so, and why: never a green "Cleanup complete".
TEST_F(CompleteViewTest, ARunThatRemovedNothingSaysWhy) {
    AppState& state = launch();
    const std::string kept = tree_.file("home/Private/report.pdf", 100);
    ASSERT_TRUE(
        state.developer()
            .stageUserChoice({FileTreeScanner::Entry::make("report.pdf", kept, 4096, clock_.moment, false)})
            .staged);
    // Marked after it was staged: the cleanup leaves it alone.
    state.preferences().addExclusion(at("Private"));
    state.developer().startCleanup();
    ASSERT_TRUE(testing::waitUntil([&] { return state.navigation().route() == Route::finished; }));
    CompleteView view(state.developer(), state.desktop());
    view.resize(800, 700);
    view.show();
    const QStringList texts = visibleTexts(view);
    EXPECT_TRUE(texts.contains("Nothing was removed"));
    EXPECT_TRUE(texts.contains("You marked this \u201CNever touch\u201D."));
    EXPECT_FALSE(texts.contains("Cleanup complete"));
    EXPECT_FALSE(texts.contains("removed from 0 locations"));
    EXPECT_TRUE(std::filesystem::exists(kept));
}

TEST_F(CompleteViewTest, ALongReasonUnderTheFigureWrapsWithinTheCard) {
    AppState& state = launch();
    const std::string kept = tree_.file("home/Downloads/report.pdf", 100);
    tree_.text("home/.local/share/Trash", "a file where the Trash should be");
    ASSERT_TRUE(
        state.developer()
            .stageUserChoice({FileTreeScanner::Entry::make("report.pdf", kept, 4096, clock_.moment, false)})
            .staged);
    state.developer().startCleanup();
    ASSERT_TRUE(testing::waitUntil([&] { return state.navigation().route() == Route::finished; }));
    CompleteView view(state.developer(), state.desktop());
    view.resize(800, 700);
    view.show();
    QApplication::processEvents();
    int seen = 0;
    for (const QLabel* label : view.findChildren<QLabel*>()) {
        if (!label->isVisibleTo(&view) || !label->text().startsWith("Korvane cannot use the Trash")) continue;
        ++seen;
        SCOPED_TRACE(label->objectName().toStdString() + " " + std::to_string(seen));
        // Whole: inside what holds it, and tall enough for every line.
        EXPECT_TRUE(label->parentWidget()->rect().contains(label->geometry())) << label->geometry().width();
        EXPECT_TRUE(label->wordWrap());
        EXPECT_GE(label->height(), label->heightForWidth(label->width()));
    }
    EXPECT_EQ(seen, 2);  // under the figure, and on the item's row
    EXPECT_TRUE(std::filesystem::exists(kept));
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

// A keyboard user reaches Stop with Tab: Return presses it as Space does.
TEST_F(CompleteViewTest, TheFocusedStopAnswersReturnAndSpace) {
    const struct {
        const char* name;
        Qt::Key key;
    } keys[] = {{"Space", Qt::Key_Space}, {"Return", Qt::Key_Return}, {"Enter", Qt::Key_Enter}};
    for (const auto& [name, key] : keys) {
        SCOPED_TRACE(name);
        launch({"--screen", "cleaning"});
        CleanupProgressView view(state().developer());
        view.show();
        auto* stop = view.findChild<LinkButton*>();
        ASSERT_NE(stop, nullptr);
        stop->setFocus(Qt::TabFocusReason);
        QTest::keyClick(stop, key);
        EXPECT_EQ(state().navigation().route(), Route::explore);
    }
}

// Back on the card from the file manager, where something was added to
// Korvane's item in the Trash: "Empty" names what the item holds now.
TEST_F(CompleteViewTest, EmptyNamesWhatTheTrashHoldsOnReturningToTheWindow) {
    AppState& state = launch();
    tree_.file("home/downloads-cache/part", 10'000);
    state.developer().stageForReview({CleanupCandidate(
        UUID::random(), CleanupCategory::node, "general.userChoice", "Group", "downloads-cache",
        at("downloads-cache"), 10'000, SafetyLevel::caution, "reason", std::nullopt, std::nullopt, {},
        RemovalKind::path())});
    state.developer().startCleanup();
    ASSERT_TRUE(testing::waitUntil([&] { return state.navigation().route() == AppState::Route::finished; }));
    const std::string inTrash = *state.developer().lastReport()->outcomes.at(0).trashURL;
    // Inside a window, as the main window holds it.
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto& view = *new CompleteView(state.developer(), state.desktop());
    layout->addWidget(&view);
    QWidget elsewhere;
    window.resize(800, 700);
    window.show();
    QApplication::setActiveWindow(&window);
    const std::string before = "Empty " + ByteFormat::string(testing::duBytes(inTrash));
    ASSERT_TRUE(testing::waitUntil([&] { return button(view, QString::fromStdString(before)) != nullptr; }));

    elsewhere.show();
    QApplication::setActiveWindow(&elsewhere);
    tree_.file(inTrash.substr(tree_.root().size() + 1) + "/more", 3'000'000);
    QApplication::setActiveWindow(&window);
    const std::string now = "Empty " + ByteFormat::string(testing::duBytes(inTrash));
    ASSERT_NE(now, before);
    EXPECT_TRUE(testing::waitUntil([&] { return button(view, QString::fromStdString(now)) != nullptr; }));
}

}  // namespace
}  // namespace korvane
