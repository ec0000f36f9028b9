#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>

#include "app/kit/ByteHeadline.h"
#include "app/kit/ElidedLabel.h"
#include "app/kit/LinkButton.h"
#include "app/screens/ScanningView.h"
#include "app/theme/AppMotion.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

using Route = AppState::Route;

class ScanningViewTest : public testing::FlowFixture {
protected:
    ScanningViewTest() { AppMotion::setJumpToEnd(true); }
    ~ScanningViewTest() override { AppMotion::setJumpToEnd(false); }
};

TEST_F(ScanningViewTest, ShowsTheProgressAndOneRowPerFinishedCategory) {
    launch({"--screen", "scanning"});
    ScanningView view(state().developer());
    view.show();
    const ScanningContent expected = scanningContent(state().developer().scanProgress());
    EXPECT_EQ(view.findChild<ByteHeadline*>()->bytes(), expected.foundSoFar);
    EXPECT_EQ(view.findChild<QProgressBar*>()->value(), 550);
    const QList<ElidedLabel*> titles = view.findChildren<ElidedLabel*>();
    ASSERT_EQ(static_cast<std::size_t>(titles.size()), expected.rows.size());
    for (std::size_t index = 0; index < expected.rows.size(); ++index)
        EXPECT_EQ(titles[static_cast<int>(index)]->text().toStdString(), expected.rows[index].title);

    // A new report replaces the rows and the phase.
    state().developer().setScanProgress(ScanProgress::idle());
    EXPECT_TRUE(view.findChildren<ElidedLabel*>().isEmpty());
    EXPECT_EQ(view.findChild<ByteHeadline*>()->bytes(), 0);
    bool ready = false;
    for (const QLabel* label : view.findChildren<QLabel*>()) ready = ready || label->text() == "Ready";
    EXPECT_TRUE(ready);
}

TEST_F(ScanningViewTest, CancelLeavesTheScreen) {
    launch({"--screen", "scanning"});
    ScanningView view(state().developer());
    view.show();
    auto* cancel = view.findChild<LinkButton*>();
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
    cancel->click();
    EXPECT_NE(state().navigation().route(), Route::scanning);
}

}  // namespace
}  // namespace korvane
