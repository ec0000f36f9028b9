#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QVBoxLayout>

#include "app/kit/KitButton.h"
#include "app/screens/CompleteView.h"
#include "app/theme/AppMotion.h"
#include "core/text/ByteFormat.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

class CompleteViewFollowsTrashTest : public testing::FlowFixture {
protected:
    CompleteViewFollowsTrashTest() { AppMotion::setJumpToEnd(true); }
    ~CompleteViewFollowsTrashTest() override { AppMotion::setJumpToEnd(false); }

    static KitButton* button(const QWidget& view, const std::string& title) {
        for (KitButton* found : view.findChildren<KitButton*>())
            if (found->title() == QString::fromStdString(title)) return found;
        return nullptr;
    }
};

// Back on the card from the file manager, where something was added to
// Korvane's item in the Trash: "Empty" names what the item holds now.
TEST_F(CompleteViewFollowsTrashTest, EmptyNamesWhatTheTrashHoldsOnReturningToTheWindow) {
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
    ASSERT_TRUE(testing::waitUntil([&] { return button(view, before) != nullptr; }));

    elsewhere.show();
    QApplication::setActiveWindow(&elsewhere);
    tree_.file(inTrash.substr(tree_.root().size() + 1) + "/more", 3'000'000);
    QApplication::setActiveWindow(&window);
    const std::string now = "Empty " + ByteFormat::string(testing::duBytes(inTrash));
    ASSERT_NE(now, before);
    EXPECT_TRUE(testing::waitUntil([&] { return button(view, now) != nullptr; }));
}

}  // namespace
}  // namespace korvane
