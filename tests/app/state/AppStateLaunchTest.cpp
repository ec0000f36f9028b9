#include <gtest/gtest.h>

#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

using Route = AppState::Route;

class AppStateLaunchTest : public testing::FlowFixture {};

TEST_F(AppStateLaunchTest, EachArgumentAloneAndInvalidValuesIgnored) {
    struct Case {
        std::vector<std::string> arguments;
        std::function<void(AppState&)> check;
    };
    using S = AppState&;
    // clang-format off
    const Case cases[] = {
        {{"--theme", "nord"}, [](S s) { EXPECT_EQ(s.preferences().themeID(), ThemeID::nord); }},
        {{"--theme", "Nord"}, [](S s) { EXPECT_EQ(s.preferences().themeID(), ThemeID::paper); }},
        {{"--theme"}, [](S s) { EXPECT_EQ(s.preferences().themeID(), ThemeID::paper); }},
        {{"--section", "largeFiles"}, [](S s) { EXPECT_EQ(s.navigation().generalSection(), AppState::GeneralSection::largeFiles); }},
        {{"--section", "LargeFiles"}, [](S s) { EXPECT_EQ(s.navigation().generalSection(), AppState::GeneralSection::explore); }},
        {{"--canvas", "treemap"}, [](S s) { EXPECT_EQ(s.navigation().canvasMode(), AppState::CanvasMode::treemap); }},
        {{"--canvas", "Treemap"}, [](S s) { EXPECT_EQ(s.navigation().canvasMode(), AppState::CanvasMode::strata); }},
        {{"--mode", "developer"}, [](S s) { EXPECT_EQ(s.preferences().mode(), AppState::Mode::developer); }},
        {{"--mode", "General"}, [](S s) { EXPECT_EQ(s.preferences().mode(), AppState::Mode::general); }},
        {{"--screen", "nowhere"}, [](S s) { EXPECT_EQ(s.navigation().route(), Route::onboarding); }},
        {{"--screen", "first-run-developer"}, [](S s) { EXPECT_EQ(s.navigation().route(), Route::onboarding); }},
        {{"--screen", "explore"}, [](S s) {
             EXPECT_EQ(s.navigation().route(), Route::explore);
             EXPECT_EQ(s.developer().scan()->projectCount, 62);
             EXPECT_EQ(s.navigation().selectedID(AppState::Mode::developer), "root");
             EXPECT_EQ(s.developer().selection().size(), 3u);
         }},
        {{"--screen", "scanning"}, [](S s) {
             EXPECT_EQ(s.navigation().route(), Route::scanning);
             EXPECT_FALSE(s.developer().scan());  // only the progress shows the placeholder scan
             EXPECT_EQ(s.developer().scanProgress().phase, ScanProgress::Phase::scanning(CleanupCategory::node));
             EXPECT_DOUBLE_EQ(s.developer().scanProgress().fraction, 0.55);
         }},
        {{"--screen", "finished"}, [](S s) {
             EXPECT_EQ(s.navigation().route(), Route::finished);
             EXPECT_EQ(s.developer().lastReport()->outcomes.size(), 5u);
             EXPECT_TRUE(s.developer().scan());
         }},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        settings_.values.clear();
        c.check(launch(c.arguments));
    }
}

TEST_F(AppStateLaunchTest, CombinedArgumentsApplyInOrderAndThemeAndModePersist) {
    AppState& state = launch({"--screen", "cleaning", "--canvas", "sunburst", "--theme", "iron", "--section",
                              "search", "--mode", "developer"});
    EXPECT_EQ(state.navigation().route(), Route::cleaning);
    EXPECT_EQ(state.navigation().canvasMode(), AppState::CanvasMode::sunburst);
    EXPECT_EQ(state.navigation().generalSection(), AppState::GeneralSection::search);
    EXPECT_EQ(state.developer().cleanupProgress().total, 26);

    AppState& relaunched = launch();
    EXPECT_EQ(relaunched.preferences().themeID(), ThemeID::iron);
    EXPECT_EQ(relaunched.preferences().mode(), AppState::Mode::developer);
}

TEST_F(AppStateLaunchTest, FolderWithTildeScansInGeneralModeAndLaterModeWins) {
    tree_.file("home/Projects/a/big.bin", 100'000);
    AppState& state = launch({"--mode", "developer", "--folder", "~/Projects"});
    EXPECT_EQ(state.folderScan().scanRoot(), at("Projects"));
    EXPECT_EQ(state.navigation().route(), Route::explore);
    EXPECT_EQ(state.preferences().mode(), AppState::Mode::developer);  // --mode is read after --folder
    ASSERT_TRUE(testing::waitUntil([&] { return !state.folderScan().isScanningFolder(); }));
    EXPECT_EQ(state.folderScan().generalResult()->root.id, at("Projects"));

    AppState& general = launch({"--folder", "~/Projects"});
    EXPECT_EQ(general.preferences().mode(), AppState::Mode::general);
    EXPECT_EQ(settings_.values.at("onboarding.completed"), "true");
}

TEST_F(AppStateLaunchTest, DelayedScreensOpenTheirSheetOrStartTheirScanAfterAMoment) {
    ScanResult saved({}, 1, {CategoryResult(CleanupCategory::gradle, 10, {})}, {}, {});
    HistoryStore(tree_.folder("history")).saveLastScan(saved);
    for (const auto& [screen, sheet] :
         {std::pair{"review", AppState::Sheet::review}, std::pair{"history", AppState::Sheet::history},
          std::pair{"settings", AppState::Sheet::settings}}) {
        AppState& state = launch({"--screen", screen});
        EXPECT_EQ(state.navigation().route(), Route::explore);
        EXPECT_EQ(state.developer().scan()->categories, saved.categories);
        EXPECT_EQ(state.navigation().sheet(), std::nullopt);
        EXPECT_TRUE(testing::waitUntil([&] { return state.navigation().sheet() == sheet; }, 3)) << screen;
    }

    AppState& developer = launch({"--screen", "first-run-developer"});
    ASSERT_TRUE(testing::waitUntil([&] { return developer.navigation().route() == Route::explore; }, 3));
    EXPECT_EQ(developer.preferences().mode(), AppState::Mode::developer);

    tree_.file("home/file.bin", 100'000);
    AppState& home = launch({"--screen", "first-run-home", "--section", "stats"});
    EXPECT_EQ(home.navigation().route(), Route::onboarding);
    ASSERT_TRUE(testing::waitUntil([&] { return home.folderScan().generalResult().has_value(); }, 5));
    EXPECT_EQ(home.folderScan().scanRoot(), home_);
    EXPECT_EQ(home.navigation().generalSection(), AppState::GeneralSection::explore);
    EXPECT_EQ(home.navigation().route(), Route::explore);
}

}  // namespace
}  // namespace korvane
