#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QVariantAnimation>

#include "app/screens/OnboardingView.h"
#include "app/state/PlatformWords.h"
#include "app/theme/AppMotion.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

using Route = AppState::Route;
using Mode = AppState::Mode;

class OnboardingViewTest : public testing::FlowFixture {};

TEST_F(OnboardingViewTest, TheHomeCardScansTheHomeFolder) {
    AppMotion::setJumpToEnd(true);
    launch();
    ASSERT_EQ(state().navigation().route(), Route::onboarding);
    OnboardingView view(state().folderScan(), state().developer());
    view.resize(900, 640);
    view.show();
    ASSERT_EQ(view.cards().size(), 2);
    EXPECT_EQ(view.cards()[0]->accessibleName(), QString::fromUtf8(platformWords::cleanWholeComputer));
    EXPECT_EQ(view.cards()[1]->accessibleName(), "Clean developer leftovers");
    QTest::mouseClick(view.cards()[0], Qt::LeftButton);
    EXPECT_EQ(state().navigation().route(), Route::explore);
    EXPECT_EQ(state().preferences().mode(), Mode::general);
    EXPECT_EQ(state().folderScan().scanRoot(), home_);
    EXPECT_EQ(state().navigation().generalSection(), AppState::GeneralSection::explore);
    EXPECT_EQ(settings_.value(PreferencesState::onboardingKey), "true");
    AppMotion::setJumpToEnd(false);
}

TEST_F(OnboardingViewTest, TheDeveloperCardStartsADeveloperScan) {
    AppMotion::setJumpToEnd(true);
    launch();
    OnboardingView view(state().folderScan(), state().developer());
    view.resize(900, 640);
    view.show();
    // Chosen from the keyboard: the screen has no default button to take Return.
    QTest::keyClick(view.cards()[1], Qt::Key_Return);
    EXPECT_EQ(state().navigation().route(), Route::scanning);
    EXPECT_EQ(state().preferences().mode(), Mode::developer);
    EXPECT_FALSE(state().folderScan().isScanningFolder());
    ASSERT_TRUE(testing::waitUntil([&] { return state().navigation().route() != Route::scanning; }));
    AppMotion::setJumpToEnd(false);
}

TEST_F(OnboardingViewTest, FadesInWhileRising) {
    launch();
    OnboardingView view(state().folderScan(), state().developer());
    view.resize(900, 640);
    // Before it shows, the content is see-through and 8 points lower.
    EXPECT_EQ(view.entrance(), 0.0);
    auto* content = view.cards()[0]->parentWidget()->parentWidget();
    view.show();
    EXPECT_EQ(content->y(), 8);
    // Moved to its end rather than waited for, however slow the machine.
    int running = 0;
    for (QVariantAnimation* motion : view.findChildren<QVariantAnimation*>())
        if (motion->state() == QAbstractAnimation::Running) {
            ++running;
            motion->setCurrentTime(motion->totalDuration());
        }
    ASSERT_EQ(running, 1);
    EXPECT_EQ(view.entrance(), 1.0);
    EXPECT_EQ(content->y(), 0);
    EXPECT_EQ(content->graphicsEffect(), nullptr);

    // The texts are real labels, as written.
    QStringList texts;
    for (const QLabel* label : view.findChildren<QLabel*>()) texts << label->text();
    EXPECT_TRUE(texts.contains("Where did your storage go?"));
    EXPECT_TRUE(texts.contains(
        "Korvane shows you what is taking up room, how old it is,\nand exactly what is safe to remove."));
    EXPECT_TRUE(texts.contains("node_modules"));
    EXPECT_TRUE(texts.contains(QString::fromUtf8(platformWords::filesStayHere)));
}

}  // namespace
}  // namespace korvane
