#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

#include "app/kit/ByteHeadline.h"
#include "app/kit/ElidedLabel.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/screens/MenuBarView.h"
#include "app/theme/AppMotion.h"
#include "tests/app/fakes/FakeCompositor.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

using Route = AppState::Route;

class MenuBarViewTest : public testing::FlowFixture {
protected:
    MenuBarViewTest() { AppMotion::setJumpToEnd(true); }
    ~MenuBarViewTest() override { AppMotion::setJumpToEnd(false); }
};

TEST_F(MenuBarViewTest, WithoutAScanShowsTheHeadlineAndTheThreeCommands) {
    launch();
    MenuBarView panel(state().developer(), state().navigation());
    panel.show();
    EXPECT_EQ(panel.findChild<ByteHeadline*>()->bytes(), 0);
    EXPECT_TRUE(panel.findChildren<ElidedLabel*>().isEmpty());
    EXPECT_EQ(panel.scanButton()->text(), QStringLiteral("Scan Now"));
    EXPECT_EQ(panel.openButton()->text(), QStringLiteral("Open Korvane"));
    EXPECT_EQ(panel.quitButton()->text(), QStringLiteral("Quit Korvane"));
    EXPECT_EQ(panel.width(), MenuBarView::panelWidth);
}

TEST_F(MenuBarViewTest, ShowsTheLargestCategoriesInPaperWhateverTheWindowsTheme) {
    launch({"--screen", "explore", "--theme", "terminal"});
    MenuBarView panel(state().developer(), state().navigation());
    panel.show();
    const Palette& paper = Palette::forTheme(ThemeID::paper);
    EXPECT_EQ(environmentPalette(&panel), paper);
    ASSERT_TRUE(panel.content().showsScanSummary);
    const QList<ElidedLabel*> titles = panel.findChildren<ElidedLabel*>();
    ASSERT_EQ(titles.size(), 3);
    for (int index = 0; index < 3; ++index)
        EXPECT_EQ(titles[index]->text().toStdString(),
                  panel.content().rows[static_cast<std::size_t>(index)].title);
    EXPECT_EQ(panel.findChild<ByteHeadline*>()->bytes(), state().developer().reclaimableBytes());

    QSignalSpy opened(&panel, &MenuBarView::openRequested);
    panel.openButton()->click();
    EXPECT_EQ(opened.size(), 1);
    EXPECT_FALSE(panel.isVisible());
}

TEST_F(MenuBarViewTest, ScanButtonStartsAScanAndWaitsWhileItRuns) {
    launch();
    MenuBarView panel(state().developer(), state().navigation());
    panel.show();
    const Route route = state().navigation().route();
    panel.scanButton()->click();
    // The tray's scan runs behind the window: the screen stays where it was.
    EXPECT_EQ(state().navigation().route(), route);
    EXPECT_EQ(panel.scanButton()->text(), QStringLiteral("Scanning…"));
    EXPECT_FALSE(panel.scanButton()->isEnabled());
    ASSERT_TRUE(testing::waitUntil([&] { return !state().developer().isScanning(); }));
    EXPECT_TRUE(state().developer().hasScan());
    EXPECT_EQ(state().navigation().route(), route);
    EXPECT_TRUE(panel.scanButton()->isEnabled());
    state().navigation().setRoute(Route::cleaning);
    EXPECT_EQ(panel.scanButton()->text(), QStringLiteral("Scan Now"));
    EXPECT_FALSE(panel.scanButton()->isEnabled());
}

TEST_F(MenuBarViewTest, AShownPanelFollowsANewScanWhileTheScreenStays) {
    launch({"--screen", "explore"});
    MenuBarView panel(state().developer(), state().navigation());
    panel.show();
    ASSERT_EQ(panel.findChildren<ElidedLabel*>().size(), 3);
    ScanResult scan = *state().developer().scan();
    scan.categories.erase(scan.categories.begin());
    state().developer().setScan(scan);
    EXPECT_EQ(panel.findChildren<ElidedLabel*>().size(), 2);
}

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

// Keeps a picture of the panel (there is no tray under a bare X server to
// take one from) and checks it is painted in paper under a dark window theme.
TEST_F(MenuBarViewTest, IsOpaqueWithARuleEdgeWithoutACompositorAndShadowedWithOne) {
    launch();
    const Palette& paper = Palette::forTheme(ThemeID::paper);
    for (const bool isComposited : {false, true}) {
        SCOPED_TRACE(isComposited ? "composited" : "plain");
        const testing::FakeCompositor compositor(isComposited);
        MenuBarView panel(state().developer(), state().navigation());
        panel.show();
        EXPECT_EQ(panel.testAttribute(Qt::WA_TranslucentBackground), isComposited);
        const QImage image = panel.grab().toImage();
        if (isComposited) {
            EXPECT_EQ(panel.width(), MenuBarView::panelWidth + 36);
            EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
            continue;
        }
        EXPECT_EQ(panel.width(), MenuBarView::panelWidth);
        const QPoint middle(panel.width() / 2, panel.height() / 2);
        for (const QPoint edge : {QPoint(0, middle.y()), QPoint(panel.width() - 1, middle.y()), QPoint(middle.x(), 0),
                                  QPoint(middle.x(), panel.height() - 1)})
            EXPECT_EQ(image.pixelColor(edge), paper.hairline) << edge.x() << "," << edge.y();
    }
}

TEST_F(MenuBarViewTest, PaintsInPaperAndKeepsAPicture) {
    launch({"--screen", "explore", "--theme", "terminal"});
    MenuBarView panel(state().developer(), state().navigation());
    panel.show();
    const QImage picture = panel.grab().toImage();
    QDir folder(QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots/panels"));
    folder.mkpath(QStringLiteral("."));
    EXPECT_TRUE(picture.save(folder.filePath(QStringLiteral("menu-bar.png"))));
    EXPECT_EQ(picture.pixelColor(2, 2).rgb(), Palette::forTheme(ThemeID::paper).canvas.rgb());
}

}  // namespace
}  // namespace korvane
